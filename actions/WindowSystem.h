#pragma once
// What the actions need from the desktop: its top-level windows and the mouse
// pointer. The X11 back end implements both; tests use fakes.

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur {

using WindowId = uint64_t;  // 0 is no window

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Top-level application windows, top of the stack first.
    virtual std::vector<WindowId> topLevelWindows() = 0;
    virtual std::string windowTitle(WindowId window) = 0;
    virtual std::string windowClassName(WindowId window) = 0;
    // Shown on the desktop, minimised windows included.
    virtual bool isWindowVisible(WindowId window) = 0;
    virtual bool isMinimised(WindowId window) = 0;
    // Id of the owning process, 0 when the window does not say.
    virtual int64_t windowProcessId(WindowId window) = 0;
    virtual WindowId foregroundWindow() = 0;
    // Bring to the front and give the keyboard focus.
    virtual void activate(WindowId window) = 0;
    // Un-minimise and bring to the front.
    virtual void restore(WindowId window) = 0;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

enum class MouseButton { Left, Right };

class PointerDevice {
public:
    virtual ~PointerDevice() = default;
    virtual ScreenPoint position() = 0;
    virtual void setPosition(ScreenPoint p) = 0;
    virtual ScreenPoint screenSize() = 0;  // width, height
    virtual void button(MouseButton button, bool down) = 0;
};

} // namespace larkspur
