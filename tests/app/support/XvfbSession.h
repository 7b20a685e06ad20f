#pragma once

#include <string>
#include <sys/types.h>

namespace kelvarn::testing {

// A private X server (Xvfb) with a window manager (openbox) for tests that need a real display,
// started on a free display number and stopped when this goes. Never the machine's own desktop.
class XvfbSession final {
public:
    XvfbSession();
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    bool running() const { return !m_display.empty(); }
    // ":N", also put in DISPLAY for this process and its children.
    const std::string& display() const { return m_display; }

private:
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    std::string m_display;
};

} // namespace kelvarn::testing
