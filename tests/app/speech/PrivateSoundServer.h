#pragma once

#include "support/TempFolder.h"

#include <QProcess>

#include <string>

namespace kelvarn::testing {

// A PulseAudio daemon of the test's own, with a virtual microphone: a null sink whose monitor
// is remapped as the default source, kept clocked by a loopback of silence. While it runs,
// this process's sound clients reach it and nothing else.
class PrivateSoundServer final {
public:
    static bool isInstalled();

    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool isRunning() const { return m_running; }
    const std::string& log() const { return m_log; }
    // Ends the daemon at once, as a crash would, and waits until it is gone.
    void kill();
    // Plays a file into the virtual microphone; true when paplay finished it.
    bool play(const std::string& wav);

private:
    TempFolder m_folder;
    QProcess m_daemon;
    bool m_running = false;
    std::string m_log;
    QByteArray m_previousServer;
};

} // namespace kelvarn::testing
