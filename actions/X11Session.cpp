#include "actions/X11Session.h"

#include "actions/X11Desktop.h"
#include "actions/X11Display.h"
#include "actions/X11Keyboard.h"

#include <X11/extensions/XTest.h>

namespace larkspur {

// Members are destroyed in reverse order: the back ends before the connection.
struct X11Session::Parts {
    std::unique_ptr<X11Display> display;
    std::unique_ptr<X11Keyboard> keyboard;
    std::unique_ptr<X11Desktop> desktop;
};

std::unique_ptr<X11Session> X11Session::open()
{
    auto parts = std::make_unique<Parts>();
    parts->display = X11Display::open();
    if (!parts->display)
        throw EDisplayUnavailable(kNoDisplayMessage);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(parts->display->get(), &eventBase, &errorBase, &major, &minor))
        throw EDisplayUnavailable("The X display has no XTEST extension, so keystrokes and mouse clicks cannot be sent.");
    parts->keyboard = std::make_unique<X11Keyboard>(parts->display->get());
    parts->desktop = std::make_unique<X11Desktop>(parts->display->get());
    return std::unique_ptr<X11Session>(new X11Session(std::move(parts)));
}

X11Session::X11Session(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}
X11Session::~X11Session() = default;

KeyboardLayout& X11Session::keyboardLayout() { return *m_parts->keyboard; }
KeyInjector& X11Session::keyInjector() { return *m_parts->keyboard; }
WindowSystem& X11Session::windows() { return *m_parts->desktop; }
PointerDevice& X11Session::pointer() { return *m_parts->desktop; }

} // namespace larkspur
