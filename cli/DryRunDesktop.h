#pragma once
// Recording stand-ins for the desktop: what a dry run (or a session without
// an X display) hands the dispatch in place of the real key injector,
// launcher, pointer and window list. Nothing is performed; everything asked
// for is kept so it can be reported.

#include "actions/ProcessLauncher.h"
#include "actions/WindowSystem.h"

#include <string>
#include <vector>

namespace larkspur::cli {

struct RecordedSpawn {
    std::string folder;  // current folder at the time: where a bare name is found
    std::vector<std::string> argv;
};

class RecordingLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override;
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return 0; }
    std::optional<std::string> captureOutput(const std::vector<std::string>&) override { return std::nullopt; }

    std::vector<RecordedSpawn> spawned;

private:
    pid_t m_nextPid = 100000;
};

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

} // namespace larkspur::cli
