#include "PrivateSoundServer.h"

#include "support/EventLoop.h"

#include <QProcessEnvironment>
#include <QStandardPaths>

#include <filesystem>
#include <fstream>

namespace kelvarn::testing {

namespace {
const char* const configuration = R"(load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=virtual rate=48000 channels=1
load-module module-remap-source master=virtual.monitor source_name=microphone
set-default-source microphone
set-default-sink virtual
load-module module-null-source source_name=silence
load-module module-loopback source=silence sink=virtual
)";
}

bool PrivateSoundServer::isInstalled() {
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("paplay").isEmpty();
}

PrivateSoundServer::PrivateSoundServer() : m_previousServer(qgetenv("PULSE_SERVER")) {
    const auto runtime = m_folder.path() / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const auto config = m_folder.path() / "server.pa";
    std::ofstream(config) << configuration;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    environment.insert("HOME", QString::fromStdString(m_folder.path().string()));
    environment.remove("PULSE_SERVER");
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--log-level=2",
                                  "-F", QString::fromStdString(config.string())});
    const auto socket = runtime / "pulse" / "native";
    m_running = m_daemon.waitForStarted(5000) &&
                runUntil([&] { return std::filesystem::exists(socket); }, 10s);
    if (m_running) {
        qputenv("PULSE_SERVER", QByteArray("unix:") + QByteArray::fromStdString(socket.string()));
    }
}

PrivateSoundServer::~PrivateSoundServer() {
    if (m_previousServer.isNull()) {
        qunsetenv("PULSE_SERVER");
    } else {
        qputenv("PULSE_SERVER", m_previousServer);
    }
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
}

void PrivateSoundServer::kill() {
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
    m_running = false;
}

bool PrivateSoundServer::play(const std::string& wav) {
    QProcess player;
    player.start("paplay", {"--device=virtual", QString::fromStdString(wav)});
    const bool played = player.waitForFinished(30000) && player.exitCode() == 0;
    m_log += player.readAllStandardError().toStdString();
    return played;
}

} // namespace kelvarn::testing
