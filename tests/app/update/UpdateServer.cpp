#include "UpdateServer.h"

#include "support/EventLoop.h"

#include <stdexcept>

namespace kelvarn::testing {

UpdateServer::UpdateServer(const std::filesystem::path& folder) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"), {QStringLiteral(KELVARN_UPDATE_SERVER_SCRIPT),
                                                QString::fromStdString(folder.string())});
    const bool listening = runUntil([this] { return m_process.canReadLine(); }, 10s);
    const QString first = QString::fromUtf8(m_process.readLine()).trimmed();
    if (!listening || !first.startsWith(QStringLiteral("PORT "))) {
        throw std::runtime_error("the test HTTP server did not start");
    }
    m_port = static_cast<quint16>(first.mid(5).toUInt());
}

UpdateServer::~UpdateServer() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl UpdateServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path));
}

void UpdateServer::release() {
    m_process.write("\n");
}

QStringList UpdateServer::requests() {
    // The server prints a request's line before answering it, so it is there by now.
    while (m_process.canReadLine() || m_process.waitForReadyRead(50)) {
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        if (line.startsWith(QStringLiteral("GET "))) {
            m_requests.append(line.mid(4));
        }
    }
    return m_requests;
}

} // namespace kelvarn::testing
