#pragma once
// One desktop session: how keystrokes, the pointer and the window list reach
// the user's desktop. openDesktopSession() picks the back end once (X11,
// a wlroots compositor, the desktop portal); everything else only sees this.

#include "actions/KeyboardPlatform.h"
#include "actions/WindowSystem.h"

#include <memory>
#include <string>

namespace larkspur {

// What a back end can do; actions it cannot do are reported once and skipped.
struct DesktopCapabilities {
    bool keys = false;            // keystrokes into the focused window
    bool anyCharacter = false;    // characters no key of the user's layout types
    bool pointerMove = false;     // absolute pointer moves
    bool pointerButtons = false;  // clicks
    bool windowList = false;      // list top-level windows with titles
    bool windowActivate = false;  // bring a listed window to the front
    bool windowProcessIds = false;  // a listed window's process id
};

class DesktopSession {
public:
    virtual ~DesktopSession() = default;
    // Short name shown to the user, e.g. "X11", "wlroots", "portal".
    virtual std::string backEndName() const = 0;
    virtual DesktopCapabilities capabilities() const = 0;
    // One line for the status window when the desktop asks the user for
    // something (the portal's consent dialog); empty otherwise.
    virtual std::string notice() const { return {}; }

    virtual KeyboardLayout& keyboardLayout() = 0;
    virtual KeyInjector& keyInjector() = 0;
    virtual WindowSystem& windows() = 0;
    virtual PointerDevice& pointer() = 0;
};

} // namespace larkspur
