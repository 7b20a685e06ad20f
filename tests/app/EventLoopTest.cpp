#include "support/EventLoop.h"

#include <QCoroTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using namespace std::chrono_literals;

QCoro::Task<int> answerAfter(std::chrono::milliseconds delay) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(delay);
    co_await timer;
    co_return 42;
}

TEST(EventLoopTest, AwaitsATaskAndGivesUpOnOneThatTakesTooLong) {
    EXPECT_EQ(testing::await(answerAfter(20ms)), 42);
    EXPECT_EQ(testing::await(answerAfter(300ms), 50ms), std::nullopt) << "a broken test fails fast";
    EXPECT_FALSE(testing::runUntil([] { return false; }, 30ms));
    // The abandoned task still ends, and frees itself, before the program does.
    testing::runUntil([] { return false; }, 400ms);
}

} // namespace
} // namespace kelvarn
