#pragma once
// Recording stand-ins for the desktop: what a dry run (or a session without
// an X display) hands the dispatch in place of the real key injector,
// launcher, pointer and window list. Nothing is performed; everything asked
// for is kept so it can be reported.

#include "actions/ProcessLauncher.h"
#include "actions/RecordingDesktop.h"
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

using larkspur::NoWindows;
using larkspur::RecordingPointer;

} // namespace larkspur::cli
