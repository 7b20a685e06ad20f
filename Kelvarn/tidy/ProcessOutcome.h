#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace kelvarn::tidy {

// How a child process ended and everything it wrote.
struct ProcessOutcome {
    enum class Ending { exited, crashed, failedToStart, timedOut, cancelled, tooMuchOutput };

    Ending ending = Ending::exited;
    // The exit status; for a crash, the signal that ended it.
    int exitCode = 0;
    // In the pieces it arrived in: joining megabytes is left to whoever reads them, off the main
    // thread if need be, instead of regrowing one buffer on it.
    QByteArrayList standardOutput;
    QByteArray standardError;
    // Why it did not run to its end: the platform's message when it could not be started, or
    // which stop ended it.
    QString errorText;
};

} // namespace kelvarn::tidy
