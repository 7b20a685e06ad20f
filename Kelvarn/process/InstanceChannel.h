#pragma once

#include "support/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace kelvarn::process {

struct InstanceChannelLimits {
    // How long a second launch waits for the running instance to have done its arguments.
    std::chrono::milliseconds answer = std::chrono::seconds(10);
    // How long the running instance waits for a connection's whole message.
    std::chrono::milliseconds message = std::chrono::seconds(5);
    // Connections the running instance keeps open at once; more are closed at once.
    int connections = 8;
};

// One Kelvarn per user: the first instance listens on a socket in a folder only the user can
// enter, and a second launch hands it its arguments instead of fighting over the data folder.
// Both ends make sure the other runs as the same user before anything is sent or taken.
class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    // What became of a second launch's arguments.
    struct Forwarded {
        enum class Outcome {
            // Nothing answers on the socket: this launch may become the instance.
            noInstance,
            // The running instance did them, and saved what they changed, unless it said
            // otherwise in message.
            handled,
            // Something is there but they were not handed over, or not known to be: message says
            // what. This launch must not become a second instance.
            failed,
        };
        Outcome outcome = Outcome::noInstance;
        QString message;
    };
    // What the running instance does with arguments handed to it: what it could not do, or
    // nothing when all was done and saved.
    using Handler = std::function<QStringList(const QStringList& arguments)>;
    using Limits = InstanceChannelLimits;
    // Arguments never run to megabytes; a peer that says otherwise is not Kelvarn.
    static constexpr quint32 maxMessageBytes = 1 << 20;

    // kelvarn.socket in the private folder for it (see privateSocketFolder), or why there is
    // none.
    static Result<QString> defaultSocketPath();

    explicit InstanceChannel(QString socketPath, Limits limits = {}, QObject* parent = nullptr);

    Forwarded forwardToRunningInstance(const QStringList& arguments) const;
    // Starts answering second launches with handler. Whoever calls it holds the data folder, so
    // a socket still there is a crashed instance's and is replaced; false (with the reason in
    // error()) when the socket cannot be made.
    bool listen(Handler handler);
    QString error() const { return m_error; }

private:
    void accept();
    void take(QLocalSocket* socket);

    QString m_socketPath;
    Limits m_limits;
    Handler m_handler;
    QLocalServer* m_server = nullptr;
    int m_open = 0;
    QString m_error;
};

} // namespace kelvarn::process
