#pragma once
// A private D-Bus session bus for one test suite: a dbus-daemon started as a
// child and stopped by its pid.

#include <string>
#include <sys/types.h>

namespace larkspur::test {

class PrivateBus {
public:
    // Starts the daemon; address() is empty when dbus-daemon is missing or
    // did not start.
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return m_address; }

private:
    pid_t m_pid = -1;
    std::string m_address;
};

} // namespace larkspur::test
