#include "desktop/ScreenPlacement.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace kelvarn::desktop {
namespace {

const QRect laptop(0, 0, 1366, 768);
const QRect monitor(1366, 0, 2560, 1440);

TEST(ScreenPlacementTest, AFrameThatCanBeFoundStaysWhereItWas) {
    const QRect onMonitor(3000, 200, 420, 680);
    EXPECT_EQ(placedOnScreens(onMonitor, {laptop, monitor}), onMonitor);
    const QRect halfOff(-300, 100, 420, 680);
    EXPECT_EQ(placedOnScreens(halfOff, {laptop}), halfOff) << "dragged partly off the edge";
    EXPECT_EQ(placedOnScreens(onMonitor, {}), onMonitor) << "no screens known";
}

TEST(ScreenPlacementTest, AFrameOnAMonitorThatIsGoneComesBackWholeOnTheNearestScreen) {
    // Saved on the unplugged monitor at the right.
    const QRect placed = placedOnScreens(QRect(3000, 200, 420, 480), {laptop});
    EXPECT_TRUE(laptop.contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_EQ(placed.size(), QSize(420, 480));
    EXPECT_EQ(placed.top(), 200) << "as near to where it was as fits";
    EXPECT_EQ(placed.right(), laptop.right());

    // Only a sliver on screen is not enough to grab it.
    const QRect sliver = placedOnScreens(QRect(1360, 700, 420, 680), {laptop});
    EXPECT_TRUE(laptop.contains(sliver));

    // Bigger than the screen that is left: it shrinks to fit.
    const QRect small(0, 0, 800, 600);
    EXPECT_EQ(placedOnScreens(QRect(5000, 5000, 1000, 900), {small}), small);

    // Below the second screen: it goes to that one, the nearer.
    EXPECT_TRUE(monitor.contains(placedOnScreens(QRect(3000, 3000, 420, 680), {laptop, monitor})));
}

} // namespace
} // namespace kelvarn::desktop
