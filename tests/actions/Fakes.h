#pragma once
// Fakes of the actions' platform pieces, shared by the actions tests.

#include "actions/ProcessLauncher.h"
#include "actions/WindowSystem.h"

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace larkspur::test {

// Records what would be started and answers from fixed results.
class FakeLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override
    {
        spawned.push_back(argv);
        return nextSpawn;
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return exitCode; }
    std::optional<std::string> captureOutput(const std::vector<std::string>& argv) override
    {
        captured.push_back(argv);
        return output;
    }

    SpawnResult nextSpawn{4242, 0};
    std::optional<int> exitCode = 0;
    std::optional<std::string> output;
    std::vector<std::vector<std::string>> spawned;
    std::vector<std::vector<std::string>> captured;
};

struct FakeWindow {
    WindowId id = 0;
    std::string title;
    std::string className;
    bool visible = true;
    bool minimised = false;
    int64_t pid = 0;
};

// A desktop of fixed windows, top of the stack first.
class FakeWindowSystem : public WindowSystem {
public:
    std::vector<WindowId> topLevelWindows() override
    {
        std::vector<WindowId> ids;
        for (const FakeWindow& w : windows)
            ids.push_back(w.id);
        return ids;
    }
    std::string windowTitle(WindowId id) override { return find(id).title; }
    std::string windowClassName(WindowId id) override { return find(id).className; }
    bool isWindowVisible(WindowId id) override { return find(id).visible; }
    bool isMinimised(WindowId id) override { return find(id).minimised; }
    int64_t windowProcessId(WindowId id) override { return find(id).pid; }
    WindowId foregroundWindow() override { return foreground; }
    void activate(WindowId id) override
    {
        activated.push_back(id);
        foreground = id;
    }
    void restore(WindowId id) override { find(id).minimised = false; }

    std::vector<FakeWindow> windows;
    std::vector<WindowId> activated;
    WindowId foreground = 0;

private:
    FakeWindow& find(WindowId id)
    {
        for (FakeWindow& w : windows)
            if (w.id == id)
                return w;
        static FakeWindow none;
        none = {};
        return none;
    }
};

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "larkspur-actions-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace larkspur::test
