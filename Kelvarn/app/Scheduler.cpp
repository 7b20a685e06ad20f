#include "app/Scheduler.h"

#include <QTimer>

namespace kelvarn::app {

void QtScheduler::callAfter(std::chrono::milliseconds delay, const QObject& context,
                            std::function<void()> call) {
    // A steady timer: a change of the wall clock must not shorten or stretch a banner. The
    // timer belongs to the context, so it goes when the context does.
    QTimer::singleShot(delay, Qt::PreciseTimer, &context, std::move(call));
}

} // namespace kelvarn::app
