#pragma once
// The X11 back ends of the keyboard, window and pointer interfaces, sharing
// one display connection. Headers of this file need no Xlib.

#include "actions/KeyboardPlatform.h"
#include "actions/WindowSystem.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace larkspur {

// There is no X display to talk to (none set, refused, or a Wayland session
// without XWayland). Keys, mouse and window actions report it once and stop.
class EDisplayUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kNoDisplayMessage =
    "No X display is available: keystrokes, mouse and window actions need an X11 session "
    "(on Wayland, XWayland must be running and DISPLAY set).";

class X11Session {
public:
    // Throws EDisplayUnavailable.
    static std::unique_ptr<X11Session> open();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    KeyboardLayout& keyboardLayout();
    KeyInjector& keyInjector();
    WindowSystem& windows();
    PointerDevice& pointer();

private:
    struct Parts;
    explicit X11Session(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> m_parts;
};

} // namespace larkspur
