#pragma once
// Top-level windows through EWMH and the pointer through XTest. Internal to
// the X11 back ends.

#include "actions/WindowSystem.h"

#include <X11/Xlib.h>

namespace larkspur {

class X11Desktop : public WindowSystem, public PointerDevice {
public:
    explicit X11Desktop(Display* display);

    std::vector<WindowId> topLevelWindows() override;
    std::string windowTitle(WindowId window) override;
    std::string windowClassName(WindowId window) override;
    bool isWindowVisible(WindowId window) override;
    bool isMinimised(WindowId window) override;
    int64_t windowProcessId(WindowId window) override;
    WindowId foregroundWindow() override;
    void activate(WindowId window) override;
    void restore(WindowId window) override;

    ScreenPoint position() override;
    void setPosition(ScreenPoint p) override;
    ScreenPoint screenSize() override;
    void button(MouseButton button, bool down) override;

private:
    long wmState(Window window) const;  // -1 when the window has none
    void sendActiveWindowMessage(Window window);

    Display* m_display;
    Window m_root;
};

} // namespace larkspur
