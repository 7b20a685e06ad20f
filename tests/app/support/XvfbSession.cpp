#include "support/XvfbSession.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kelvarn::testing {

namespace {

pid_t spawn(const char* program, std::initializer_list<const char*> arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const char* argument : arguments) {
            argv.push_back(const_cast<char*>(argument));
        }
        argv.push_back(nullptr);
        ::execvp(program, argv.data());
        ::_exit(127);
    }
    return child;
}

void stop(pid_t& child) {
    if (child > 0) {
        ::kill(child, SIGTERM);
        ::waitpid(child, nullptr, 0);
        child = -1;
    }
}

} // namespace

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
    std::string number;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
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
