#include "tests/portal/PrivateBus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace larkspur::test {

PrivateBus::PrivateBus()
{
    int out[2];
    if (pipe(out) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // Its notes (an fd limit it may not raise as root) are no test output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    char arg0[] = "dbus-daemon";
    char session[] = "--session";
    char nofork[] = "--nofork";
    char nopid[] = "--nopidfile";
    char print[] = "--print-address=1";
    char* argv[] = {arg0, session, nofork, nopid, print, nullptr};
    const int spawned = posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(out[0]);
        return;
    }
    // The daemon prints its address as one line once it listens.
    std::string line;
    pollfd fd{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&fd, 1, 5000) > 0) {
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    if (const size_t end = line.find('\n'); end != std::string::npos)
        m_address = line.substr(0, end);
}

PrivateBus::~PrivateBus()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
}

} // namespace larkspur::test
