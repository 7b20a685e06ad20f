#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace kelvarn::testing {

bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    // Sleeps until an event comes rather than spinning a core that the code under test needs;
    // the tick wakes it for conditions no event announces (a file another thread writes).
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool await(QCoro::Task<void> task, std::chrono::milliseconds timeout) {
    const auto finished = std::make_shared<bool>(false);
    auto then = task.then([finished] { *finished = true; });
    return runUntil([&] { return *finished; }, timeout);
}

} // namespace kelvarn::testing
