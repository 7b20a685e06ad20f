#include "process/InstanceChannel.h"

#include "process/PeerCredentials.h"
#include "process/PrivateSocketFolder.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

namespace kelvarn::process {

namespace {

constexpr int connectTimeoutMs = 2000;
constexpr qint64 headerBytes = sizeof(quint32);

QByteArray framed(const QStringList& list) {
    QByteArray body;
    QDataStream writer(&body, QIODevice::WriteOnly);
    writer << list;
    QByteArray message;
    QDataStream header(&message, QIODevice::WriteOnly);
    header << static_cast<quint32>(body.size());
    return message + body;
}

// Waits until count bytes can be read, or the deadline passes.
bool waitForBytes(QLocalSocket& socket, qint64 count, const QDeadlineTimer& deadline) {
    while (socket.bytesAvailable() < count) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    return true;
}

bool sameUser(const QLocalSocket& socket) {
    return peerUserId(static_cast<int>(socket.socketDescriptor())) == ::getuid();
}

} // namespace

Result<QString> InstanceChannel::defaultSocketPath() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto folder = privateSocketFolder(
        runtime.isEmpty() ? std::nullopt
                          : std::optional<std::filesystem::path>(runtime.constData()),
        QDir::tempPath().toStdString());
    if (!folder) {
        return Error{folder.error()};
    }
    return QString::fromStdString((folder.value() / "kelvarn.socket").string());
}

InstanceChannel::InstanceChannel(QString socketPath, Limits limits, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_limits(limits) {}

InstanceChannel::Forwarded
InstanceChannel::forwardToRunningInstance(const QStringList& arguments) const {
    using Outcome = Forwarded::Outcome;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        const auto error = socket.error();
        // No socket, or one a crashed instance left: nobody is running.
        if (error == QLocalSocket::ServerNotFoundError ||
            error == QLocalSocket::ConnectionRefusedError) {
            return {Outcome::noInstance, {}};
        }
        return {Outcome::failed, QStringLiteral("the running Kelvarn (%1) cannot be reached: %2")
                                     .arg(m_socketPath, socket.errorString())};
    }
    if (!sameUser(socket)) {
        return {Outcome::failed,
                QStringLiteral("%1 is not this user's Kelvarn: nothing was handed to it")
                    .arg(m_socketPath)};
    }
    socket.write(framed(arguments));
    const QDeadlineTimer deadline(m_limits.answer);
    while (socket.bytesToWrite() > 0 && !deadline.hasExpired() &&
           socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
    }
    if (!waitForBytes(socket, 1, deadline)) {
        return {Outcome::failed,
                QStringLiteral("Kelvarn is running but did not answer within %1 s (it may be "
                               "stopped or busy); it may still act on this launch when it does")
                    .arg(m_limits.answer.count() / 1000.0)};
    }
    if (socket.read(1) == "1") {
        return {Outcome::handled, {}};
    }
    // What it could not do follows.
    QStringList failures;
    if (waitForBytes(socket, headerBytes, deadline)) {
        quint32 size = 0;
        QDataStream header(socket.peek(headerBytes));
        header >> size;
        if (size <= maxMessageBytes && waitForBytes(socket, headerBytes + size, deadline)) {
            socket.read(headerBytes);
            QDataStream reader(socket.read(size));
            reader >> failures;
        }
    }
    if (failures.isEmpty()) {
        failures.append(QStringLiteral("the running Kelvarn did not say why"));
    }
    return {Outcome::handled, failures.join(QLatin1Char('\n'))};
}

bool InstanceChannel::listen(Handler handler) {
    m_handler = std::move(handler);
    m_server = new QLocalServer(this);
    // Only this user may hand arguments to the running instance.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // The caller holds the data folder, so no live instance can own it.
        QLocalServer::removeServer(m_socketPath);
        if (!m_server->listen(m_socketPath)) {
            m_error = m_server->errorString();
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::accept);
    return true;
}

void InstanceChannel::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A flood of connections, or another user's, costs nothing kept.
        if (m_open >= m_limits.connections || !sameUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        take(socket);
    }
}

void InstanceChannel::take(QLocalSocket* socket) {
    socket->setReadBufferSize(headerBytes + maxMessageBytes);
    // A message sent half, or never, does not hold its connection.
    auto* limit = new QTimer(socket);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, socket, &QLocalSocket::abort);
    limit->start(m_limits.message);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, limit] {
        if (socket->bytesAvailable() < headerBytes) {
            return;
        }
        quint32 size = 0;
        QDataStream header(socket->peek(headerBytes));
        header >> size;
        if (size > maxMessageBytes) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < headerBytes + size) {
            return; // the rest is on its way
        }
        // One message a connection.
        limit->stop();
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        socket->read(headerBytes);
        QStringList arguments;
        QDataStream reader(socket->read(size));
        reader >> arguments;
        const QPointer<QLocalSocket> alive(socket);
        const QStringList failures = m_handler ? m_handler(arguments) : QStringList();
        if (!alive) {
            return;
        }
        socket->write(failures.isEmpty() ? QByteArray("1") : "0" + framed(failures));
        socket->flush();
        socket->disconnectFromServer();
    });
}

} // namespace kelvarn::process
