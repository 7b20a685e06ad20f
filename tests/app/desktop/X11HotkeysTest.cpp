#include "desktop/PlatformHotkeys.h"
#include "support/EventLoop.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Key = app::GlobalHotkeys::Key;

bool type(const QString& keys) {
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}

TEST(X11HotkeysTest, CtrlAltGAndLArriveWhateverTheLockKeys) {
    const auto hotkeys = desktop::makeGlobalHotkeys();
    ASSERT_NE(hotkeys, nullptr) << "X11 is there";
    std::vector<Key> pressed;
    hotkeys->start([&](Key key) { pressed.push_back(key); });

    ASSERT_TRUE(type("ctrl+alt+g"));
    ASSERT_TRUE(testing::runUntil([&] { return pressed.size() == 1; }));
    ASSERT_TRUE(type("ctrl+alt+l"));
    ASSERT_TRUE(testing::runUntil([&] { return pressed.size() == 2; }));
    EXPECT_EQ(pressed, (std::vector<Key>{Key::togglePanel, Key::toggleListening}));

    ASSERT_TRUE(type("Num_Lock"));
    ASSERT_TRUE(type("ctrl+alt+g"));
    EXPECT_TRUE(testing::runUntil([&] { return pressed.size() == 3; })) << "with Num Lock on";
    ASSERT_TRUE(type("Num_Lock"));

    ASSERT_TRUE(type("ctrl+g"));
    EXPECT_FALSE(
        testing::runUntil([&] { return pressed.size() == 4; }, std::chrono::milliseconds(300)))
        << "other combinations are not taken";
}

} // namespace
} // namespace kelvarn
