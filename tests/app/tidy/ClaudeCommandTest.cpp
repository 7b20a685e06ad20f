#include "tidy/ClaudeCommand.h"

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

using namespace std::chrono_literals;

TEST(ClaudeCommandTest, AnUnsetPathBecomesJustTheInstallFolders) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    const ProcessRequest request = claudeRequest(
        QStringLiteral("/x/claude"), QStringLiteral("sys"), QByteArray("{}"), 90s,
        ToolSetting{environment, QStringLiteral("/home/u"), QStringLiteral("/tmp/t")});
    EXPECT_EQ(request.environment.value(QStringLiteral("PATH")),
              QStringLiteral(":/usr/local/bin:/opt/homebrew/bin:/home/u/.local/bin"));
    EXPECT_EQ(request.environment.value(QStringLiteral("LANG")), QStringLiteral("C.UTF-8"));
    EXPECT_EQ(request.workingDirectory, QStringLiteral("/tmp/t"));
    EXPECT_EQ(request.timeLimit, 90s);
}

} // namespace
} // namespace kelvarn::tidy
