#pragma once
// Starts a program as a new process and remembers its ids.

#include "actions/ProcessLauncher.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace larkspur {

// Changing to the program's folder failed; the message is the system's.
class EAppExecChDir : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The process could not be created; the message is the ErrorText.
class EAppExecWinExec : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// Error numbers of a failed start, as the rest of the program knows them.
inline constexpr int kErrFileNotFound = 2;
inline constexpr int kErrPathNotFound = 3;
inline constexpr int kErrAccessDenied = 5;
inline constexpr int kErrNotEnoughMemory = 8;
inline constexpr int kErrBadFormat = 11;
// Any other failure: a number the text table does not know.
inline constexpr int kErrOther = 31;

// Error number for the errno of a failed start. program is the name that was
// started, used to tell a missing folder from a missing file.
int appExecErrorNumber(int errnoValue, const std::string& program);

// The text of an error number; nullopt for numbers the table does not list.
std::optional<std::string> appExecErrorText(int errNo);

class TAppExec {
public:
    explicit TAppExec(ProcessLauncher& launcher);

    bool ChangeDir() const { return m_changeDir; }
    void setChangeDir(bool on) { m_changeDir = on; }
    int ErrNo() const { return m_errNo; }
    const std::string& ExeName() const { return m_exeName; }
    void setExeName(const std::string& name) { m_exeName = name; }
    const std::vector<std::string>& ExeParams() const { return m_exeParams; }
    void setExeParams(const std::vector<std::string>& params) { m_exeParams = params; }
    const std::string& ExePath() const { return m_exePath; }
    void setExePath(const std::string& path);
    bool Wait() const { return m_wait; }
    void setWait(bool on) { m_wait = on; }
    TWindowState WindowState() const { return m_windowState; }
    void setWindowState(TWindowState state);
    int showCommand() const { return m_showCommand; }

    int64_t LastThreadId() const { return m_lastThreadId; }
    int64_t LastThreadHd() const { return m_lastThreadHd; }
    int64_t LastProcessId() const { return m_lastProcessId; }
    int64_t LastProcessHd() const { return m_lastProcessHd; }

    void Clear();
    // The command line: ExeName and the parameters, separated by blanks.
    std::string commandLine() const;
    // Throws EAppExecChDir or EAppExecWinExec.
    void Execute();
    // Text for ErrNo; empty for numbers the table does not list.
    std::string ErrorText() const;

private:
    ProcessLauncher& m_launcher;
    bool m_changeDir = true;
    int m_errNo = -1;
    std::string m_exeName;
    std::vector<std::string> m_exeParams;
    std::string m_exePath;
    bool m_wait = false;
    TWindowState m_windowState = TWindowState::wsNormal;
    int m_showCommand = 1;
    int64_t m_lastThreadId = 0;
    int64_t m_lastThreadHd = 0;
    int64_t m_lastProcessId = 0;
    int64_t m_lastProcessHd = 0;
};

} // namespace larkspur
