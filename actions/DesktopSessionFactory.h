#pragma once
// Picks the desktop back end once. The choice is a pure function of what the
// environment says (planDesktopSession), so every kind of desktop is tested
// without one; openDesktopSession then opens the candidates in order and
// keeps the first that works.
//
// Adding a back end: its own folder with an opener, one entry in
// DesktopBackEnd, one rule in planDesktopSession and one line in
// DesktopOpeners::standard().

#include "actions/DesktopSession.h"
#include "actions/portal/PortalOptions.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace larkspur {

enum class DesktopBackEnd { X11, Wlroots, Portal, XWayland };

// Short name shown to the user ("X11", "wlroots", "portal", "XWayland").
const char* desktopBackEndName(DesktopBackEnd backEnd);

// What the environment says about the desktop.
struct DesktopFacts {
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string x11Display;      // DISPLAY
    bool waylandReachable = false;            // a connection to the Wayland display worked
    std::vector<std::string> waylandGlobals;  // interfaces the compositor advertises

    // Reads the variables and, in a Wayland session, asks the compositor
    // which interfaces it offers.
    static DesktopFacts fromEnvironment();
};

// The back ends worth trying, best first, and one line for each back end
// that is not tried saying why.
struct DesktopPlan {
    std::vector<DesktopBackEnd> candidates;
    std::vector<std::string> passedOver;
};

DesktopPlan planDesktopSession(const DesktopFacts& facts);

// Opens one back end; null with whyNot set when it cannot be used here.
using DesktopOpener = std::function<std::unique_ptr<DesktopSession>(std::string& whyNot)>;

struct DesktopOpeners {
    DesktopOpener x11;
    DesktopOpener wlroots;
    DesktopOpener portal;
    DesktopOpener xwayland;

    // The real back ends; the portal is opened with these options.
    static DesktopOpeners standard(const PortalOptions& portal = {});
    const DesktopOpener& of(DesktopBackEnd backEnd) const;
};

struct OpenedDesktop {
    std::unique_ptr<DesktopSession> session;  // null when no back end works
    // Why each other back end was not used, one line each ("wlroots: ...").
    std::vector<std::string> notes;
    // One message for the user when session is null, empty otherwise.
    std::string failure;
};

// The whole-desktop failure when nothing works in a Wayland session.
inline constexpr const char* kNoDesktopBackEndMessage =
    "No way to reach this Wayland desktop was found: keystrokes, mouse and window actions need a compositor "
    "that offers virtual keyboards and pointers, the desktop portal, or XWayland with DISPLAY set.";

OpenedDesktop openDesktopSession(const DesktopFacts& facts, const DesktopOpeners& openers);
// The desktop this program runs on.
OpenedDesktop openDesktopSession(const PortalOptions& portal = {});

} // namespace larkspur
