#pragma once

#include <string>
#include <sys/types.h>

namespace kelvarn::testing {

// A D-Bus session bus of the test's own (dbus-daemon --session), so that what a test exports or
// asks for never reaches the machine's desktop. Make it before the QApplication: Qt connects to
// the address in DBUS_SESSION_BUS_ADDRESS, which this sets for the process and its children.
class PrivateSessionBus final {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool running() const { return !m_address.empty(); }
    const std::string& address() const { return m_address; }

private:
    pid_t m_daemon = -1;
    std::string m_address;
};

} // namespace kelvarn::testing
