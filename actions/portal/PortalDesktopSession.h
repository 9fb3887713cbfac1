#pragma once
// The desktop portal back end: keystrokes and the pointer through the
// desktop's remote-control portal, for desktops (GNOME, KDE Plasma) that give
// programs no other way in. They offer programs no window list, so program
// voice commands start their program again instead of switching to it.

#include "actions/DesktopBackEnd.h"
#include "actions/portal/PortalOptions.h"

#include <memory>
#include <string>

namespace larkspur {

class PortalConnection;
class PortalKeyboard;
class PortalPointer;

// Said once where window actions cannot switch to a running program.
inline constexpr const char* kNoWindowListMessage =
    "This desktop does not let programs list or switch windows: a program voice command starts its "
    "program again instead of switching to the running one.";

class PortalDesktopSession : public DesktopSession {
public:
    // Releases held keys and buttons, then closes the portal session.
    ~PortalDesktopSession() override;

    std::string backEndName() const override { return "portal"; }
    DesktopCapabilities capabilities() const override;
    std::string notice() const override;

    KeyboardLayout& keyboardLayout() override;
    KeyInjector& keyInjector() override;
    WindowSystem& windows() override;
    PointerDevice& pointer() override;

    // The token to store for the next start (replacing the old one); empty
    // when the desktop gave none.
    std::string restoreToken() const;
    // The remote-control interface's version.
    unsigned portalVersion() const;

private:
    friend std::unique_ptr<PortalDesktopSession> openPortalDesktopSession(const PortalOptions&, std::string&);
    struct Parts;
    explicit PortalDesktopSession(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> m_parts;
};

// Opens the one portal session of this program: null with whyNot set (one
// sentence for the user) when the desktop has no portal, the user refuses,
// or the desktop does not answer in time. Blocks while the desktop asks the
// user; options.onAskingConsent is called first.
std::unique_ptr<PortalDesktopSession> openPortalDesktopSession(const PortalOptions& options, std::string& whyNot);

// Where the restore token is kept among the values the program keeps for
// its desktop back ends (DesktopHost::load and store).
inline constexpr const char* kPortalRestoreTokenKey = "PortalRestoreToken";

// The options for opening the portal on this program's behalf: base (its
// bus, timeouts) with the stored restore token, storing the new one after
// the start, the consent line going to the status window and the screen size
// as the program sees it.
PortalOptions portalOptionsFor(const DesktopHost& host, PortalOptions base = {});

// Tried in every Wayland session after the compositor's own protocols
// (GNOME and KDE Plasma offer nothing else), opened with portalOptionsFor(host, base).
DesktopBackEndEntry portalBackEnd(PortalOptions base = {});

} // namespace larkspur
