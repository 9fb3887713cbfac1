#pragma once
// Fakes of the actions' platform pieces, shared by the actions tests.

#include "actions/FinderUi.h"
#include "actions/ProcessLauncher.h"
#include "actions/WindowSystem.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sys/stat.h>
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
        if (onSpawn)
            onSpawn();
        return nextSpawn;
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds>) override { return exitCode; }
    std::optional<std::string> captureOutput(const std::vector<std::string>& argv) override
    {
        captured.push_back(argv);
        return output;
    }

    SpawnResult nextSpawn{4242, 0};
    std::function<void()> onSpawn;
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

// A pointer on a screen of fixed size; remembers every move and button event.
class FakePointer : public PointerDevice {
public:
    ScreenPoint position() override { return at; }
    void setPosition(ScreenPoint p) override
    {
        at = p;
        moves.push_back(p);
    }
    ScreenPoint screenSize() override { return size; }
    void button(MouseButton b, bool down) override { buttons.push_back({b, down}); }

    ScreenPoint at{100, 100};
    ScreenPoint size{640, 480};
    std::vector<ScreenPoint> moves;
    std::vector<std::pair<MouseButton, bool>> buttons;
};

// Answers the finder's questions from a script and records what it was shown.
class ScriptedFinderUi : public FinderUi {
public:
    void showProgress(const std::string& text) override { progress.push_back(text); progressShown = true; }
    void hideProgress() override { progressShown = false; }
    bool askYesNo(const std::string& question) override
    {
        questions.push_back(question);
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> chooseLocation(const std::vector<std::string>& locations) override
    {
        offered = locations;
        if (!choice || *choice >= locations.size())
            return std::nullopt;
        return locations[*choice];
    }
    void processEvents() override
    {
        ++eventPasses;
        if (onEvents)
            onEvents();
    }

    std::deque<bool> answers;                 // No once they run out
    std::optional<size_t> choice = size_t{0};  // nullopt: Cancel
    std::function<void()> onEvents;
    std::vector<std::string> progress;
    bool progressShown = false;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::string> offered;
    int eventPasses = 0;
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
    // Writes a file (and its folders) below the folder; returns its path.
    std::string write(const std::string& relative, const std::string& text, mode_t mode = 0644) const
    {
        const std::filesystem::path path = file(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        ::chmod(path.c_str(), mode);
        return path.string();
    }

private:
    std::string m_path;
};

} // namespace larkspur::test
