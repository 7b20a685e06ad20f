#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace kelvarn {
namespace {

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(QuitSignalsTest, AChangeJustMadeIsOnDiskWhenTheProcessIsTerminated) {
    for (const int signal : {SIGTERM, SIGINT}) {
        testing::TempFolder temp;
        const std::string notes = "Said just before the end " + std::to_string(signal);
        QProcess child;
        child.start(QStringLiteral(KELVARN_QUIT_CHILD),
                    {QString::fromStdString(temp.path().string()), QString::fromStdString(notes)});
        ASSERT_TRUE(child.waitForStarted(5000));
        ASSERT_TRUE(testing::runUntil(
            [&] {
                return child.readAllStandardOutput().contains("ready") ||
                       child.state() == QProcess::NotRunning;
            },
            std::chrono::seconds(20)));
        ::kill(static_cast<pid_t>(child.processId()), signal);
        ASSERT_TRUE(child.waitForFinished(10000));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << "quit, not killed";
        EXPECT_EQ(child.exitCode(), 0);
        EXPECT_NE(contentOf(temp.path() / "session.json").find(notes), std::string::npos)
            << "signal " << signal;
    }
}

} // namespace
} // namespace kelvarn
