#include "app/Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

namespace kelvarn::app {

void QtScheduler::callAfter(std::chrono::milliseconds delay, std::function<void()> call) {
    // A steady timer: a change of the wall clock must not shorten or stretch a banner.
    QTimer::singleShot(delay, Qt::PreciseTimer, QCoreApplication::instance(), std::move(call));
}

} // namespace kelvarn::app
