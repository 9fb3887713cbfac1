#include "actions/PosixProcessLauncher.h"

#include "actions/UniqueFd.h"

#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace larkspur {

namespace {

std::vector<char*> argvPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> out;
    out.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// A bare program name is looked for in the current folder first (the launch
// changes there beforehand), then along PATH.
std::string resolveProgram(const std::string& name, bool& searchPath)
{
    searchPath = false;
    if (name.find('/') != std::string::npos)
        return name;
    struct stat st {};
    if (!name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return "./" + name;
    searchPath = true;
    return name;
}

class SpawnAttributes {
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attr);
        posix_spawn_file_actions_init(&m_actions);
    }
    ~SpawnAttributes()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attr);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t m_attr;
    posix_spawn_file_actions_t m_actions;
};

SpawnResult spawnWith(const std::vector<std::string>& argv, SpawnAttributes& sa)
{
    if (argv.empty() || argv[0].empty())
        return {0, ENOENT};
    bool searchPath = false;
    const std::string program = resolveProgram(argv[0], searchPath);
    std::vector<char*> args = argvPointers(argv);
    pid_t pid = 0;
    const int rc = searchPath
        ? posix_spawnp(&pid, program.c_str(), &sa.m_actions, &sa.m_attr, args.data(), environ)
        : posix_spawn(&pid, program.c_str(), &sa.m_actions, &sa.m_attr, args.data(), environ);
    if (rc != 0)
        return {0, rc};
    return {pid, 0};
}

} // namespace

PosixProcessLauncher::~PosixProcessLauncher()
{
    reapExited();
}

SpawnResult PosixProcessLauncher::spawn(const std::vector<std::string>& argv)
{
    reapExited();
    SpawnAttributes sa;
    // A session of its own: the program outlives us and gets no signals meant
    // for our terminal.
    posix_spawnattr_setflags(&sa.m_attr, POSIX_SPAWN_SETSID);
    SpawnResult r = spawnWith(argv, sa);
    if (r.pid > 0)
        m_children.insert(r.pid);
    return r;
}

std::optional<int> PosixProcessLauncher::waitExit(pid_t pid, std::optional<std::chrono::milliseconds> timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = timeout ? Clock::now() + *timeout : Clock::time_point::max();
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, timeout ? WNOHANG : 0);
        if (r == pid) {
            m_children.erase(pid);
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (r < 0 && errno != EINTR) {
            m_children.erase(pid);
            return std::nullopt;
        }
        if (timeout && Clock::now() >= deadline)
            return std::nullopt;
        if (timeout)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<std::string> PosixProcessLauncher::captureOutput(const std::vector<std::string>& argv)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);
    SpawnAttributes sa;
    posix_spawn_file_actions_adddup2(&sa.m_actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&sa.m_actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const SpawnResult r = spawnWith(argv, sa);
    writeEnd.reset();
    if (r.pid <= 0)
        return std::nullopt;
    std::string out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(readEnd.get(), buf, sizeof buf);
        if (n > 0)
            out.append(buf, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    int status = 0;
    while (::waitpid(r.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return out;
}

void PosixProcessLauncher::reapExited()
{
    for (auto it = m_children.begin(); it != m_children.end();) {
        int status = 0;
        const pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = m_children.erase(it);
        else
            ++it;
    }
}

} // namespace larkspur
