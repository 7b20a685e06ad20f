#include "tidy/ChildProcess.h"

#include <QCoroSignal>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace kelvarn::tidy {

namespace {

// One child process and the one signal its awaiter waits for, whichever way it ends.
class ChildProcess final : public QObject {
    Q_OBJECT

public:
    explicit ChildProcess(const ProcessRequest& request) {
        m_process.setProgram(request.program);
        m_process.setArguments(request.arguments);
        if (!request.workingDirectory.isEmpty()) {
            m_process.setWorkingDirectory(request.workingDirectory);
        }
        m_process.setProcessEnvironment(request.environment);
        m_input = request.standardInput;
        if (m_input.isEmpty()) {
            m_process.setStandardInputFile(QProcess::nullDevice());
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        connect(&m_process, &QProcess::readyReadStandardOutput, this,
                &ChildProcess::drainStandardOutput);
        connect(&m_process, &QProcess::readyReadStandardError, this,
                &ChildProcess::drainStandardError);
        connect(&m_process, &QProcess::finished, this, &ChildProcess::onFinished);
        connect(&m_process, &QProcess::errorOccurred, this, &ChildProcess::onError);
        if (request.timeLimit) {
            m_hasLimit = true;
            m_limit.setSingleShot(true);
            m_limit.setInterval(*request.timeLimit);
            connect(&m_limit, &QTimer::timeout, this, &ChildProcess::onTimeLimit);
        }
    }

    // A process still running is killed by QProcess's destructor, which may then report its end;
    // by that time this object's other members are gone.
    ~ChildProcess() override { m_process.disconnect(this); }

    void start() {
        if (m_hasLimit) {
            m_limit.start();
        }
        m_process.start();
        if (!m_input.isEmpty() && m_process.state() != QProcess::NotRunning) {
            // QProcess writes it as the pipe drains and closes the channel after the last byte.
            m_process.write(std::exchange(m_input, {}));
            m_process.closeWriteChannel();
        }
    }

    bool hasEnded() const { return m_ended; }
    ProcessOutcome takeOutcome() { return std::move(m_outcome); }

signals:
    void ended();

private:
    void drainStandardOutput() {
        if (QByteArray piece = m_process.readAllStandardOutput(); !piece.isEmpty()) {
            m_outcome.standardOutput.append(std::move(piece));
        }
    }
    void drainStandardError() { m_outcome.standardError += m_process.readAllStandardError(); }

    void onFinished(int exitCode, QProcess::ExitStatus status) {
        drainStandardOutput();
        drainStandardError();
        m_outcome.exitCode = exitCode;
        if (m_timedOut) {
            end(ProcessOutcome::Ending::timedOut);
        } else {
            end(status == QProcess::CrashExit ? ProcessOutcome::Ending::crashed
                                              : ProcessOutcome::Ending::exited);
        }
    }

    void onError(QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_outcome.errorText = m_process.errorString();
            end(ProcessOutcome::Ending::failedToStart);
        }
    }

    // Ends once the killed process is gone, so nothing is left running.
    void onTimeLimit() {
        m_outcome.errorText = QStringLiteral("%1 did not finish within %2 ms")
                                  .arg(m_process.program())
                                  .arg(m_limit.interval());
        m_timedOut = true;
        m_process.kill();
    }

    void end(ProcessOutcome::Ending ending) {
        if (m_ended) {
            return;
        }
        m_ended = true;
        m_limit.stop();
        m_outcome.ending = ending;
        emit ended();
    }

    QProcess m_process;
    QByteArray m_input;
    QTimer m_limit;
    bool m_hasLimit = false;
    bool m_timedOut = false;
    ProcessOutcome m_outcome;
    bool m_ended = false;
};

} // namespace

QCoro::Task<ProcessOutcome> runToEnd(ProcessRequest request) {
    ChildProcess child(request);
    child.start();
    if (!child.hasEnded()) {
        co_await qCoro(&child, &ChildProcess::ended);
    }
    co_return child.takeOutcome();
}

} // namespace kelvarn::tidy

#include "ChildProcess.moc"
