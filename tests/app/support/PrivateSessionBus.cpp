#include "support/PrivateSessionBus.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <unistd.h>

namespace kelvarn::testing {

PrivateSessionBus::PrivateSessionBus() {
    int ready[2];
    if (::pipe(ready) != 0) {
        return;
    }
    // The daemon writes its address to this descriptor once it accepts connections.
    const std::string printAddress = "--print-address=" + std::to_string(ready[1]);
    m_daemon = spawn("dbus-daemon", {"--session", "--nofork", printAddress.c_str()});
    ::close(ready[1]);
    m_address = readLine(ready[0]);
    ::close(ready[0]);
    if (m_address.empty()) {
        stop(m_daemon);
        return;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    stop(m_daemon);
}

} // namespace kelvarn::testing
