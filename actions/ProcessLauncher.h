#pragma once
// Starting other programs: argument vectors only, never a shell.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace larkspur {

struct SpawnResult {
    pid_t pid = 0;  // > 0 when started
    int error = 0;  // errno of a failed start
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts argv[0] (searched in the current folder, then PATH, unless it
    // holds a "/") in a session of its own.
    virtual SpawnResult spawn(const std::vector<std::string>& argv) = 0;
    // Waits up to timeout for the process to end; its exit code, or nullopt
    // when it still runs (it is then reaped later).
    virtual std::optional<int> waitExit(pid_t pid, std::optional<std::chrono::milliseconds> timeout) = 0;
    // Runs a program to its end and returns its standard output, nullopt when
    // it cannot be started or fails.
    virtual std::optional<std::string> captureOutput(const std::vector<std::string>& argv) = 0;
};

} // namespace larkspur
