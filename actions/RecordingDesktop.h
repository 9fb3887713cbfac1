#pragma once
// A desktop that performs nothing: no windows, and a pointer on a screen of
// fixed size that only remembers where it was put. What a dry run, a session
// without an X display, and the demo hand the dispatch.

#include "actions/WindowSystem.h"

namespace larkspur {

// A desktop without windows.
class NoWindows : public WindowSystem {
public:
    std::vector<WindowId> topLevelWindows() override { return {}; }
    std::string windowTitle(WindowId) override { return {}; }
    std::string windowClassName(WindowId) override { return {}; }
    bool isWindowVisible(WindowId) override { return false; }
    bool isMinimised(WindowId) override { return false; }
    int64_t windowProcessId(WindowId) override { return 0; }
    WindowId foregroundWindow() override { return 0; }
    void activate(WindowId) override {}
    void restore(WindowId) override {}
};

// A pointer on a screen of fixed size that remembers where it was put.
class RecordingPointer : public PointerDevice {
public:
    explicit RecordingPointer(ScreenPoint size) : m_size(size), m_position{size.x / 2, size.y / 2} {}
    ScreenPoint position() override { return m_position; }
    void setPosition(ScreenPoint p) override { m_position = p; }
    ScreenPoint screenSize() override { return m_size; }
    void button(MouseButton, bool down) override { clicks += down ? 1 : 0; }

    int clicks = 0;

private:
    ScreenPoint m_size;
    ScreenPoint m_position;
};

} // namespace larkspur
