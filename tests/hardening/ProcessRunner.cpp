#include "tests/hardening/ProcessRunner.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace larkspur::test {

pid_t startChild(const ChildOptions& options)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Child: only async-signal-safe work would be strictly right after fork in
    // a threaded parent; the test binary runs no other threads here.
    for (const auto& [name, value] : options.env) {
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    auto redirect = [](const std::string& path, int target) {
        if (path.empty())
            return;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, target);
            ::close(fd);
        }
    };
    redirect(options.outFile, STDOUT_FILENO);
    redirect(options.errFile, STDERR_FILENO);
    if (options.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // Signals the test runner ignores must reach the program with their default action.
    for (const int s : {SIGPIPE, SIGXFSZ, SIGTERM, SIGHUP, SIGINT})
        std::signal(s, SIG_DFL);
    std::vector<char*> argv;
    for (const std::string& a : options.args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

ChildEnd waitChild(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    ChildEnd end;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            end.timedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFSIGNALED(status)) {
        end.signalled = true;
        end.code = WTERMSIG(status);
    } else if (WIFEXITED(status)) {
        end.code = WEXITSTATUS(status);
    }
    return end;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace larkspur::test
