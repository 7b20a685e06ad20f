#include "support/XvfbSession.h"

#include "support/ChildProcess.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kelvarn::testing {

XvfbSession::XvfbSession() {
    int ready[2];
    if (::pipe(ready) != 0) {
        return;
    }
    // The server writes the display number it chose to this descriptor once it accepts clients.
    const std::string fd = std::to_string(ready[1]);
    m_server = spawn(
        "Xvfb", {"-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ::close(ready[1]);
    const std::string number = readLine(ready[0]);
    ::close(ready[0]);
    if (number.empty()) {
        stop(m_server);
        return;
    }
    m_display = ":" + number;
    ::setenv("DISPLAY", m_display.c_str(), 1);
    m_windowManager = spawn("openbox", {});
    ::usleep(300000); // openbox takes the screen's window management shortly after starting
}

XvfbSession::~XvfbSession() {
    stop(m_windowManager);
    stop(m_server);
}

} // namespace kelvarn::testing
