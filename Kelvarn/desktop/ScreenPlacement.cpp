#include "desktop/ScreenPlacement.h"

#include <algorithm>
#include <limits>

namespace kelvarn::desktop {

namespace {

// Enough of a frame to see it and take it by its top.
constexpr int visibleWidth = 100;
constexpr int visibleHeight = 40;

bool showsEnough(const QRect& frame, const QRect& screen) {
    const QRect shown = frame.intersected(screen);
    return shown.width() >= std::min(visibleWidth, frame.width()) &&
           shown.height() >= std::min(visibleHeight, frame.height());
}

// How far the point is from the rectangle; 0 inside it.
long long distance(const QPoint& point, const QRect& rect) {
    const long long dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const long long dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QRect placedOnScreens(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty() || std::any_of(screens.begin(), screens.end(),
                                         [&](const QRect& s) { return showsEnough(frame, s); })) {
        return frame;
    }
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        if (const long long d = distance(frame.center(), screen); d < best) {
            best = d;
            nearest = &screen;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(nearest->size()));
    placed.moveLeft(
        std::clamp(placed.left(), nearest->left(), nearest->right() - placed.width() + 1));
    placed.moveTop(
        std::clamp(placed.top(), nearest->top(), nearest->bottom() - placed.height() + 1));
    return placed;
}

} // namespace kelvarn::desktop
