#pragma once
// The process launcher over posix_spawn. It reaps only the children it started
// (no SIGCHLD handler, no waitpid(-1)), so other children of the process keep
// their exit statuses for their owners.

#include "actions/ProcessLauncher.h"

#include <set>

namespace larkspur {

class PosixProcessLauncher : public ProcessLauncher {
public:
    PosixProcessLauncher() = default;
    PosixProcessLauncher(const PosixProcessLauncher&) = delete;
    PosixProcessLauncher& operator=(const PosixProcessLauncher&) = delete;
    ~PosixProcessLauncher() override;

    SpawnResult spawn(const std::vector<std::string>& argv) override;
    std::optional<int> waitExit(pid_t pid, std::optional<std::chrono::milliseconds> timeout) override;
    std::optional<std::string> captureOutput(const std::vector<std::string>& argv) override;

    // Collects the exit statuses of started programs that have ended; runs on
    // every spawn, so finished programs do not linger as zombies.
    void reapExited();
    size_t runningChildren() const { return m_children.size(); }

private:
    std::set<pid_t> m_children;
};

} // namespace larkspur
