#pragma once
// File errors of table, companion and sample store operations. They end the
// operation and reach the caller, which reports them to the user.

#include <stdexcept>
#include <string>

namespace larkspur {

class EInOutError : public std::runtime_error {
public:
    EInOutError(int errorCode, const std::string& text)
        : std::runtime_error(text), m_errorCode(errorCode) {}
    // The system's error number (errno), or EIO for damaged data.
    int errorCode() const { return m_errorCode; }

private:
    int m_errorCode;
};

// Builds the error for a failed system call on a path, from errno.
// action is a verb ("open", "read", "write", ...).
EInOutError makeFileError(int errnoValue, const std::string& action, const std::string& path);
// Builds the error for a file whose content cannot be used (EIO).
EInOutError makeDataError(const std::string& path, const std::string& problem);

} // namespace larkspur
