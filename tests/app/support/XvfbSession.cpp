#include "support/XvfbSession.h"

#include "support/ChildProcess.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvarn::testing {

namespace {

// A window manager announces that it manages screen 0 by owning the WM_S0 selection; until then
// a window the tests map would be placed and decorated by nobody.
bool waitForWindowManager(const std::string& display, pid_t windowManager) {
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display.c_str(), nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return false;
    }
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection.get(), xcb_intern_atom(connection.get(), 0, 5, "WM_S0"),
                              nullptr),
        &std::free);
    if (!atom) {
        return false;
    }
    // Polled, since no event says so to a client that owns nothing; the limit only stops a
    // window manager that never comes up from hanging the run.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUp) {
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(
                connection.get(), xcb_get_selection_owner(connection.get(), atom->atom), nullptr),
            &std::free);
        if (owner && owner->owner != XCB_NONE) {
            return true;
        }
        int status = 0;
        if (::waitpid(windowManager, &status, WNOHANG) == windowManager) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
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
    const std::string number = readLine(ready[0]);
    ::close(ready[0]);
    if (number.empty()) {
        stop(m_server);
        return;
    }
    m_display = ":" + number;
    ::setenv("DISPLAY", m_display.c_str(), 1);
    m_windowManager = spawn("openbox", {});
    if (!waitForWindowManager(m_display, m_windowManager)) {
        stop(m_windowManager);
        stop(m_server);
        m_display.clear();
    }
}

XvfbSession::~XvfbSession() {
    stop(m_windowManager);
    stop(m_server);
}

} // namespace kelvarn::testing
