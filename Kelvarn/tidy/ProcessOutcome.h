#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarn::tidy {

// How a child process ended and everything it wrote.
struct ProcessOutcome {
    enum class Ending { exited, crashed, failedToStart, timedOut };

    Ending ending = Ending::exited;
    // The exit status; for a crash, the signal that ended it.
    int exitCode = 0;
    QByteArray standardOutput;
    QByteArray standardError;
    // Why it did not run to its end: the platform's message when it could not be started.
    QString errorText;
};

} // namespace kelvarn::tidy
