#pragma once

#include "tidy/ProcessOutcome.h"

#include <QCoroTask>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace kelvarn::tidy {

struct ProcessRequest {
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the application's own
    QProcessEnvironment environment;
    // Killed and reported as timed out after this long; without one it may run forever.
    std::optional<std::chrono::milliseconds> timeLimit;
};

// Runs a program to its end on the calling thread's event loop, standard input from the null
// device, standard output and standard error drained as they arrive, so a writer of megabytes
// never blocks on a full pipe. Never blocks the event loop.
QCoro::Task<ProcessOutcome> runToEnd(ProcessRequest request);

} // namespace kelvarn::tidy
