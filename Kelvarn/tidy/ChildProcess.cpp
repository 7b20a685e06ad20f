#include "tidy/ChildProcess.h"

#include <QCoroSignal>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <utility>

namespace kelvarn::tidy {

namespace {

constexpr qsizetype maxErrorBytes = 64 * 1024;

// One child process and the one signal its awaiter waits for, whichever way it ends. The child
// leads a process group of its own, so whatever it starts is stopped with it.
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
        m_maxOutputBytes = request.maxOutputBytes;
        if (m_input.isEmpty()) {
            m_process.setStandardInputFile(QProcess::nullDevice());
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
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

    // QProcess's destructor kills only the process it started, and may then report its end; by
    // that time this object's other members are gone.
    ~ChildProcess() override {
        m_process.disconnect(this);
        killGroup();
    }

    // Does nothing once cancelled.
    void start() {
        if (m_ended) {
            return;
        }
        if (m_hasLimit) {
            m_limit.start();
        }
        m_process.start();
        if (const auto pid = static_cast<pid_t>(m_process.processId()); pid > 0) {
            // Here too, so that a kill at once after the start finds the group; whichever of the
            // two calls comes second fails harmlessly.
            ::setpgid(pid, pid);
        }
        if (!m_input.isEmpty() && m_process.state() != QProcess::NotRunning) {
            // QProcess writes it as the pipe drains and closes the channel after the last byte.
            m_process.write(std::exchange(m_input, {}));
            m_process.closeWriteChannel();
        }
    }

    // Ends once the killed group's leader is gone; before the start, at once.
    void cancel() {
        if (m_ended) {
            return;
        }
        const QString why = QStringLiteral("%1 was cancelled").arg(m_process.program());
        if (m_process.state() == QProcess::NotRunning) {
            m_outcome.errorText = why;
            end(ProcessOutcome::Ending::cancelled);
            return;
        }
        stop(ProcessOutcome::Ending::cancelled, why);
    }

    bool hasEnded() const { return m_ended; }
    ProcessOutcome takeOutcome() { return std::move(m_outcome); }

signals:
    void ended();

private:
    void drainStandardOutput() {
        QByteArray piece = m_process.readAllStandardOutput();
        if (piece.isEmpty() || m_stoppedAs) {
            return;
        }
        m_outputBytes += piece.size();
        if (m_maxOutputBytes && m_outputBytes > *m_maxOutputBytes) {
            stop(ProcessOutcome::Ending::tooMuchOutput,
                 QStringLiteral("%1 wrote more than %2 MiB and was stopped")
                     .arg(m_process.program())
                     .arg(*m_maxOutputBytes / (1024 * 1024)));
            return;
        }
        m_outcome.standardOutput.append(std::move(piece));
    }
    // Only ever shown as a message: its beginning is enough.
    void drainStandardError() {
        const QByteArray piece = m_process.readAllStandardError();
        m_outcome.standardError += piece.first(std::min(
            piece.size(), std::max<qsizetype>(0, maxErrorBytes - m_outcome.standardError.size())));
    }

    void onFinished(int exitCode, QProcess::ExitStatus status) {
        drainStandardOutput();
        drainStandardError();
        m_outcome.exitCode = exitCode;
        if (m_stoppedAs) {
            end(*m_stoppedAs);
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

    void onTimeLimit() {
        stop(ProcessOutcome::Ending::timedOut, QStringLiteral("%1 did not finish within %2 ms")
                                                   .arg(m_process.program())
                                                   .arg(m_limit.interval()));
    }

    // Ends once the killed leader is gone, so nothing is left running; the first reason counts.
    void stop(ProcessOutcome::Ending reason, const QString& why) {
        if (!m_stoppedAs) {
            m_stoppedAs = reason;
            m_outcome.errorText = why;
        }
        killGroup();
    }

    // Only while the leader has not been waited for: until then its number cannot be reused.
    void killGroup() {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(-static_cast<pid_t>(m_process.processId()), SIGKILL);
        }
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
    std::optional<qsizetype> m_maxOutputBytes;
    qsizetype m_outputBytes = 0;
    QTimer m_limit;
    bool m_hasLimit = false;
    std::optional<ProcessOutcome::Ending> m_stoppedAs;
    ProcessOutcome m_outcome;
    bool m_ended = false;
};

} // namespace

QCoro::Task<ProcessOutcome> runToEnd(ProcessRequest request, std::stop_token stop) {
    ChildProcess child(request);
    // Runs at once when the stop was asked for already; the child then never starts.
    const std::stop_callback cancelling(stop, [&child] { child.cancel(); });
    child.start();
    if (!child.hasEnded()) {
        co_await qCoro(&child, &ChildProcess::ended);
    }
    co_return child.takeOutcome();
}

} // namespace kelvarn::tidy

#include "ChildProcess.moc"
