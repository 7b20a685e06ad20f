#include "tidy/ClaudeCommand.h"

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

TEST(ClaudeCommandTest, AnUnsetPathBecomesJustTheInstallFolders) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    const ProcessRequest request = claudeRequest(
        QStringLiteral("/x/claude"), QStringLiteral("sys"), QStringLiteral("{}"),
        ToolSetting{environment, QStringLiteral("/home/u"), QStringLiteral("/tmp/t")});
    EXPECT_EQ(request.environment.value(QStringLiteral("PATH")),
              QStringLiteral(":/usr/local/bin:/opt/homebrew/bin:/home/u/.local/bin"));
    EXPECT_EQ(request.environment.value(QStringLiteral("LANG")), QStringLiteral("C.UTF-8"));
    EXPECT_EQ(request.workingDirectory, QStringLiteral("/tmp/t"));
    EXPECT_FALSE(request.timeLimit) << "the tool may take as long as it takes";
}

TEST(ClaudeCommandTest, OnlyACleanExitGivesAReply) {
    ProcessOutcome outcome;
    outcome.standardOutput = {"{\"intro\"", ": \"x\"}\n"};
    EXPECT_EQ(claudeReply(outcome).value(), "{\"intro\": \"x\"}\n") << "pieces joined, untrimmed";

    outcome.ending = ProcessOutcome::Ending::failedToStart;
    outcome.errorText = QStringLiteral("execve: Permission denied");
    EXPECT_EQ(claudeReply(outcome).error(), "execve: Permission denied");

    outcome.ending = ProcessOutcome::Ending::crashed;
    outcome.exitCode = 0;
    EXPECT_EQ(claudeReply(outcome).error(), "claude exited with 0: {\"intro\": \"x\"}\n")
        << "a crash is never a reply, whatever its code reads";
}

} // namespace
} // namespace kelvarn::tidy
