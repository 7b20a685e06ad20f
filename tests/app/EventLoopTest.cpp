#include "support/EventLoop.h"

#include <QCoroTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using namespace std::chrono_literals;

QCoro::Task<int> answerAfter(std::chrono::milliseconds delay, bool* finished = nullptr) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(delay);
    co_await timer;
    if (finished != nullptr) {
        *finished = true;
    }
    co_return 42;
}

TEST(EventLoopTest, AwaitsATaskAndGivesUpOnOneThatTakesTooLong) {
    EXPECT_EQ(testing::await(answerAfter(20ms)), 42);
    bool finished = false;
    EXPECT_EQ(testing::await(answerAfter(300ms, &finished), 50ms), std::nullopt)
        << "a broken test fails fast";
    EXPECT_FALSE(testing::runUntil([] { return false; }, 30ms));
    // The task given up on still runs to its end, and its dropped result harms nothing (nor
    // leaks, as it would if the program ended first).
    EXPECT_TRUE(testing::runUntil([&] { return finished; }, 5s));
}

} // namespace
} // namespace kelvarn
