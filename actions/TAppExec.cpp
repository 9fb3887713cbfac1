#include "actions/TAppExec.h"

#include "actions/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

bool folderOfExists(const std::string& program)
{
    const size_t slash = program.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    struct stat st {};
    return ::stat(program.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Returns to the folder that was current when it was made.
class CurrentDirGuard {
public:
    CurrentDirGuard() : m_saved(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~CurrentDirGuard()
    {
        if (m_saved.valid() && ::fchdir(m_saved.get()) != 0) {
            // Nothing sensible is left to do: the folder we came from is gone.
        }
    }
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    UniqueFd m_saved;
};

std::vector<std::string> splitOnBlanks(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (std::getline(in, word, ' '))
        if (!word.empty())
            words.push_back(word);
    return words;
}

} // namespace

int appExecErrorNumber(int errnoValue, const std::string& program)
{
    switch (errnoValue) {
    case ENOENT: return folderOfExists(program) ? kErrFileNotFound : kErrPathNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY: return kErrAccessDenied;
    case ENOMEM:
    case E2BIG:
    case EAGAIN: return kErrNotEnoughMemory;
    case ENOEXEC: return kErrBadFormat;
    default: return kErrOther;
    }
}

std::optional<std::string> appExecErrorText(int errNo)
{
    switch (errNo) {
    case -1: return "No execution";
    case 0: return "System was out of memory, executable file was corrupt, or relocations were invalid";
    case 2: return "File was not found";
    case 3: return "Path was not found";
    case 5: return "Attempt was made to dynamically link to a task, or there was a sharing or network-protection error";
    case 6: return "Library required separate data segments for each task";
    case 8: return "There was insufficient memory to start the application";
    case 10: return "Windows version was incorrect";
    case 11: return "Executable file was invalid. Either it was not a Windows application or there was an error in the .EXE image";
    case 12: return "Application was designed for a different operating system";
    case 13: return "Application was designed for MS-DOS 4.0";
    case 14: return "Type of executable file was unknown";
    case 15: return "Attempt was made to load a real-mode application (developed for an earlier version of Windows)";
    case 16: return "Attempt to load second instance of an executable containing multiple data segments not marked read-only";
    case 19: return "Attempt was made to load a compressed executable file. The file must be decompressed before it can be loaded";
    case 20: return "Dynamic-link library (DLL) file was invalid. One of the DLLs required to run this application was corrupt";
    case 21: return "Application requires 32-bit extensions";
    default: break;
    }
    if (errNo >= 32)
        return "No error";
    return std::nullopt;
}

TAppExec::TAppExec(ProcessLauncher& launcher) : m_launcher(launcher) {}

void TAppExec::setExePath(const std::string& path)
{
    if (path == m_exePath)
        return;
    m_exePath = path;
    const bool driveRoot = m_exePath.size() == 3 && m_exePath[1] == ':' && m_exePath[2] == '\\';
    if (driveRoot || m_exePath == "\\")
        return;
    // "/" is this system's root folder and stays as it is too.
    if (m_exePath.size() > 1 && (m_exePath.back() == '\\' || m_exePath.back() == '/'))
        m_exePath.pop_back();
}

void TAppExec::setWindowState(TWindowState state)
{
    m_windowState = state;
    m_showCommand = state == TWindowState::wsMinimized ? 2 : state == TWindowState::wsMaximized ? 3 : 1;
}

void TAppExec::Clear()
{
    m_errNo = -1;
    m_exeName.clear();
    m_exePath.clear();
    m_exeParams.clear();
    m_lastThreadId = m_lastThreadHd = m_lastProcessId = m_lastProcessHd = 0;
}

std::string TAppExec::commandLine() const
{
    std::string line = m_exeName;
    for (const std::string& p : m_exeParams)
        line += ' ' + p;
    return line;
}

void TAppExec::Execute()
{
    // The words of the command line, split on blanks without any quoting and
    // handed over as they are: nothing passes through a shell.
    std::vector<std::string> argv = splitOnBlanks(commandLine());
    // A program in a named folder is that folder's program or none: never one
    // of the same name found along PATH.
    if (!m_exePath.empty() && !argv.empty() && argv[0].find('/') == std::string::npos) {
        // After the change of folder a relative folder would be resolved twice.
        const bool relativeAfterChange = m_changeDir && m_exePath.front() != '/';
        argv[0] = (relativeAfterChange ? std::string(".") : m_exePath) + "/" + argv[0];
    }

    CurrentDirGuard restoreDir;
    if (!m_exePath.empty() && m_changeDir && ::chdir(m_exePath.c_str()) != 0) {
        const int err = errno;
        m_errNo = (err == ENOENT || err == ENOTDIR) ? kErrPathNotFound : appExecErrorNumber(err, m_exePath);
        throw EAppExecChDir(std::strerror(err));
    }

    const SpawnResult r = m_launcher.spawn(argv);
    if (r.pid <= 0) {
        m_errNo = appExecErrorNumber(r.error, argv.empty() ? std::string() : argv[0]);
        std::string text = ErrorText();
        if (text.empty())
            text = std::strerror(r.error);
        throw EAppExecWinExec(text);
    }
    if (m_wait) {
        m_launcher.waitExit(r.pid, std::nullopt);
        m_errNo = 0;
    }
    // A process has no separate first-thread id or handles here: the thread
    // id is the process id and there are no handles to keep.
    m_lastThreadId = r.pid;
    m_lastThreadHd = 0;
    m_lastProcessId = r.pid;
    m_lastProcessHd = 0;
}

std::string TAppExec::ErrorText() const
{
    return appExecErrorText(m_errNo).value_or(std::string());
}

} // namespace larkspur
