#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace kelvarn::process {

// One Kelvarn per user: the first instance listens on a socket in the user's runtime folder,
// and a second launch hands it its arguments instead of fighting over the data folder.
class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    // The socket's path: $XDG_RUNTIME_DIR/kelvarn.socket, or one in the temporary folder that
    // carries the user id when the session has no runtime folder.
    static QString defaultSocketPath();

    explicit InstanceChannel(QString socketPath, QObject* parent = nullptr);

    // Hands the arguments to a running instance; false when none answers.
    bool forwardToRunningInstance(const QStringList& arguments) const;
    // Starts answering second launches. A socket left by a crashed instance is replaced; false
    // (with the reason in error()) when the socket cannot be made.
    bool listen();
    QString error() const { return m_error; }

signals:
    void argumentsReceived(const QStringList& arguments);

private:
    void accept();

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    QString m_error;
};

} // namespace kelvarn::process
