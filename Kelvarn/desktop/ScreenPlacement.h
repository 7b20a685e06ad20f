#pragma once

#include <QList>
#include <QRect>

namespace kelvarn::desktop {

// Where a saved window frame goes on the screens there are now: where it was, while enough of
// it shows on one of them to be found and dragged; otherwise on the screen nearest to where it
// was, whole (a monitor unplugged since it was saved must not take the panel with it). With no
// screens at all the frame is kept.
QRect placedOnScreens(const QRect& frame, const QList<QRect>& screens);

} // namespace kelvarn::desktop
