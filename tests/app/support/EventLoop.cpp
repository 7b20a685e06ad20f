#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace kelvarn::testing {

bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

bool await(QCoro::Task<void> task, std::chrono::milliseconds timeout) {
    const auto finished = std::make_shared<bool>(false);
    auto then = task.then([finished] { *finished = true; });
    return runUntil([&] { return *finished; }, timeout);
}

} // namespace kelvarn::testing
