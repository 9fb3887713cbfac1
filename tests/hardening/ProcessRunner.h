#pragma once
// Runs larkspur-cli as a child process for the tests that need a real process:
// signals, file-size limits, locks between processes, FIFOs that would block.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace larkspur::test {

struct ChildOptions {
    std::vector<std::string> args;           // args[0] is the program
    std::map<std::string, std::string> env;  // set (empty value: unset) on top of ours
    std::string outFile, errFile;            // where stdout and stderr go
    long fileSizeLimit = -1;                 // RLIMIT_FSIZE in bytes, -1: unchanged
};

pid_t startChild(const ChildOptions& options);

struct ChildEnd {
    bool timedOut = false;
    bool signalled = false;
    int code = -1;  // exit code or signal number
};

// Waits up to timeout; a child still running then is killed (SIGKILL) and reaped.
ChildEnd waitChild(pid_t pid, std::chrono::milliseconds timeout);

std::string readText(const std::string& path);

} // namespace larkspur::test
