#include "process/InstanceChannel.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace kelvarn::process {

namespace {

constexpr int timeoutMs = 2000;
// Arguments never run to megabytes; a peer that says otherwise is not Kelvarn.
constexpr quint32 maxMessageBytes = 1 << 20;

} // namespace

QString InstanceChannel::defaultSocketPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        return QDir(runtime).filePath(QStringLiteral("kelvarn.socket"));
    }
    return QDir::temp().filePath(QStringLiteral("kelvarn-%1.socket").arg(::getuid()));
}

InstanceChannel::InstanceChannel(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

bool InstanceChannel::forwardToRunningInstance(const QStringList& arguments) const {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    QByteArray message;
    QDataStream writer(&message, QIODevice::WriteOnly);
    writer << arguments;
    QDataStream out(&socket);
    out << static_cast<quint32>(message.size());
    socket.write(message);
    // The running instance answers once it has taken the arguments.
    return socket.waitForBytesWritten(timeoutMs) && socket.waitForReadyRead(timeoutMs) &&
           socket.read(1) == "1";
}

bool InstanceChannel::listen() {
    m_server = new QLocalServer(this);
    // Only this user may hand arguments to the running instance.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // Nobody answered on it (forwarding was tried first), so it was left by a crash.
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < static_cast<qint64>(sizeof(quint32))) {
                return;
            }
            quint32 size = 0;
            QDataStream header(socket->peek(sizeof(quint32)));
            header >> size;
            if (size > maxMessageBytes) {
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < static_cast<qint64>(sizeof(quint32) + size)) {
                return; // the rest is on its way
            }
            socket->read(sizeof(quint32));
            QStringList arguments;
            QDataStream reader(socket->read(size));
            reader >> arguments;
            socket->write("1");
            socket->flush();
            emit argumentsReceived(arguments);
        });
    }
}

} // namespace kelvarn::process
