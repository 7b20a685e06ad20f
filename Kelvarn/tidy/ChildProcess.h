#pragma once

#include "tidy/ProcessOutcome.h"

#include <QByteArray>
#include <QCoroTask>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <stop_token>

namespace kelvarn::tidy {

struct ProcessRequest {
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the application's own
    QProcessEnvironment environment;
    // Written to the program's standard input, which then ends; empty: the null device.
    QByteArray standardInput;
    // Killed and reported as timed out after this long; without one it may run forever.
    std::optional<std::chrono::milliseconds> timeLimit;
    // Killed and reported as tooMuchOutput once its standard output passes this many bytes;
    // without a cap all of it is kept. Standard error keeps only its first 64 KiB either way.
    std::optional<qsizetype> maxOutputBytes;
};

// Runs a program to its end on the calling thread's event loop, its standard input fed as the pipe
// takes it, standard output and standard error drained as they arrive, so neither side blocks on
// a full pipe whatever the sizes. Never blocks the event loop. The program leads a process group
// of its own: a time-out, too much output, a stop asked for (reported as cancelled) or the end of
// the run's frame kills the whole group, so nothing it started lives on.
QCoro::Task<ProcessOutcome> runToEnd(ProcessRequest request, std::stop_token stop = {});

} // namespace kelvarn::tidy
