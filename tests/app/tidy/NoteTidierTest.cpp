#include "tidy/NoteTidier.h"

#include "tidy/FakeClaude.h"
#include "tidy/TidyInstructions.h"
#include "tidy/TidyTimeLimit.h"

#include "settings/Preferences.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QTimer>

#include <stop_token>

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

using namespace std::chrono_literals;
using testing::FakeClaude;

class NoteTidierTest : public ::testing::Test {
protected:
    StudentRecord patWithNotes() {
        StudentRecord pat(Uuid::generate(), "Pat Doe");
        pat.sections[SectionID::intro].notes = "pat doe did well; Doe cites";
        pat.sections[SectionID::style].notes = "um clear";
        return pat;
    }

    std::optional<TidyOutcome> run(const StudentRecord& student, const ToolSetting& setting,
                                   std::chrono::milliseconds timeout = 10s) {
        NoteTidier tidier(m_preferences, setting);
        return testing::await(tidier.tidy(student), timeout);
    }

    // Tidied notes or the failure; a stop, or no end in time, as a failure saying so.
    Result<TidiedNotes> tidy(const StudentRecord& student, const ToolSetting& setting,
                             std::chrono::milliseconds timeout = 10s) {
        std::optional<TidyOutcome> outcome = run(student, setting, timeout);
        if (!outcome) {
            return Error{"<the tidy did not finish>"};
        }
        if (const auto* stopped = std::get_if<TidyStopped>(&*outcome)) {
            return Error{"<stopped: " + stopped->message + ">"};
        }
        if (const auto* failure = std::get_if<Error>(&*outcome)) {
            return *failure;
        }
        return std::get<TidiedNotes>(std::move(*outcome));
    }

    testing::TempFolder m_folder;
    Preferences m_preferences{QString::fromStdString((m_folder.path() / "Kelvarn.conf").string())};
};

TEST_F(NoteTidierTest, SendsTheRedactedNotesAndInstructionsAndReadsBackTheReply) {
    FakeClaude claude;
    claude.reply(
        "Here you go:\n```json\n{\"intro\": \"[STUDENT] did well.\", \"summary\": \"no\"}\n"
        "```\n");
    const StudentRecord pat = patWithNotes();
    const Result<TidiedNotes> tidied = tidy(pat, claude.setting());
    ASSERT_TRUE(tidied) << tidied.error();
    EXPECT_EQ(tidied.value(),
              (TidiedNotes{{SectionNotes{pat.id, SectionID::intro}, "Pat did well."}}));
    EXPECT_EQ(
        claude.prompt(),
        QStringLiteral(R"({"intro":"[STUDENT] did well; [STUDENT] cites","style":"um clear"})"));
    EXPECT_EQ(claude.systemPrompt(), systemPrompt(defaultInstructions()));
    EXPECT_EQ(claude.workingDirectory(),
              QString::fromStdString(std::filesystem::canonical(claude.temp()).string()));

    setInstructions(m_preferences, QStringLiteral("Only fix commas."));
    ASSERT_TRUE(tidy(pat, claude.setting()));
    EXPECT_EQ(claude.systemPrompt(), systemPrompt(QStringLiteral("Only fix commas.")));
}

TEST_F(NoteTidierTest, NotesLongerThanTheSystemTakesInOneArgumentAreTidiedToo) {
    FakeClaude claude;
    claude.reply("{\"intro\": \"Long, but clear.\"}");
    StudentRecord pat(Uuid::generate(), "Pat Doe");
    // Linux refuses a single argument over 128 KiB.
    for (int i = 0; i < 10'000; ++i) {
        pat.sections[SectionID::intro].notes += "the thesis wanders ";
    }
    const Result<TidiedNotes> tidied = tidy(pat, claude.setting());
    ASSERT_TRUE(tidied) << tidied.error();
    EXPECT_EQ(tidied.value(),
              (TidiedNotes{{SectionNotes{pat.id, SectionID::intro}, "Long, but clear."}}));
    const std::string sent = claude.prompt().toStdString();
    EXPECT_GT(sent.size(), 128u * 1024);
    EXPECT_TRUE(sent == promptText(tidyInput(pat)).value()) << "the whole prompt arrived";
}

TEST_F(NoteTidierTest, ReportsWhatWentWrongWithTheToolInItsOwnWords) {
    FakeClaude claude;
    const StudentRecord pat = patWithNotes();

    claude.exitWith(3);
    claude.reply("partial output");
    claude.writeToStandardError("rate limited\n");
    EXPECT_EQ(tidy(pat, claude.setting()).error(), "claude exited with 3: rate limited\n");

    claude.writeToStandardError("");
    EXPECT_EQ(tidy(pat, claude.setting()).error(), "claude exited with 3: partial output");

    claude.writeToStandardError("\xFF\xFE not text");
    EXPECT_EQ(tidy(pat, claude.setting()).error(), "claude exited with 3: partial output")
        << "standard error that is not UTF-8 counts as empty";

    claude.exitWith(0);
    claude.reply("{\"intro\": \"caf\xC3\" }");
    EXPECT_EQ(tidy(pat, claude.setting()).error(), "Couldn't read Claude's reply:\n")
        << "a reply that is not UTF-8 counts as empty";

    StudentRecord silent(Uuid::generate(), "Sam");
    EXPECT_EQ(tidy(silent, claude.setting()).error(), "No notes to tidy.");
}

TEST_F(NoteTidierTest, AToolKilledBySignalFailsEvenThoughItPrintedAReply) {
    FakeClaude claude;
    testing::writeExecutable(claude.home() / ".local/bin/claude",
                             "#!/bin/sh\necho '{\"intro\": \"x\"}'\nkill -9 $$\n");
    const Result<TidiedNotes> tidied = tidy(patWithNotes(), claude.setting());
    ASSERT_FALSE(tidied);
    EXPECT_EQ(tidied.error(), "claude was killed by SIGKILL (Killed): {\"intro\": \"x\"}\n")
        << "the signal by its name, not as an exit status";
}

TEST_F(NoteTidierTest, FailsWithTheLaunchErrorOrTheMissingToolMessage) {
    FakeClaude broken;
    testing::writeExecutable(broken.home() / ".local/bin/claude", "#!/nonexistent/interpreter\n");
    const Result<TidiedNotes> launch = tidy(patWithNotes(), broken.setting());
    ASSERT_FALSE(launch);
    EXPECT_NE(launch.error().find("No such file or directory"), std::string::npos)
        << launch.error();

    FakeClaude missing(FakeClaude::Place::nowhere);
    // The login shell's own PATH would find a claude installed on this machine.
    testing::writeFile(missing.home() / ".profile", "PATH=/nonexistent\n");
    EXPECT_EQ(tidy(patWithNotes(), missing.setting()).error(),
              "Couldn't find the `claude` CLI. Install Claude Code, or check that `claude` is on "
              "your PATH.");
}

TEST_F(NoteTidierTest, FindsTheToolThroughTheLoginShellAndGivesUpOnOneThatHangs) {
    FakeClaude claude(FakeClaude::Place::nowhere);
    claude.reply("{\"style\": \"Clear.\"}");
    testing::writeExecutable(claude.home() / "tools/claude", claude.script());
    testing::writeFile(claude.home() / ".profile",
                       "PATH=\"$HOME/tools:$PATH\"\necho ignored >&2\n");
    ToolSetting setting = claude.setting();
    // Neither bash nor zsh: the login shell is /bin/sh, which reads ~/.profile too.
    setting.environment.insert(QStringLiteral("SHELL"), QStringLiteral("/usr/bin/false"));
    const StudentRecord pat = patWithNotes();
    const Result<TidiedNotes> found = tidy(pat, setting);
    ASSERT_TRUE(found) << found.error();
    EXPECT_EQ(found.value().size(), 1u);

    setting.environment.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/bash"));
    EXPECT_TRUE(tidy(pat, setting)) << "bash reads ~/.profile when there is no ~/.bash_profile";

    testing::writeFile(claude.home() / ".profile", "sleep 30\n");
    setting.loginShellLimit = 300ms;
    EXPECT_EQ(tidy(pat, setting, 5s).error(),
              "Couldn't find the `claude` CLI. Install Claude Code, or check that `claude` is on "
              "your PATH.");
}

TEST_F(NoteTidierTest, TheEventLoopKeepsRunningWhileTheToolWorksAndLargeRepliesComeThrough) {
    FakeClaude claude;
    const StudentRecord pat = patWithNotes();
    claude.sleepFirst(0.5);
    const QByteArray large(6 * 1024 * 1024, 'a');
    claude.reply("{\"intro\": \"" + large + "\"}");

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5ms);
    const Result<TidiedNotes> tidied = tidy(pat, claude.setting(), 30s);
    ASSERT_TRUE(tidied) << tidied.error().substr(0, 200);
    EXPECT_EQ(tidied.value().at(SectionNotes{pat.id, SectionID::intro}).size(),
              static_cast<std::size_t>(large.size()));
    EXPECT_GT(ticks, 20) << "the timer ticked all through the tool's half-second pause";
}

TEST_F(NoteTidierTest, AToolThatWritesWithoutEndIsStoppedAtTheCap) {
    FakeClaude claude;
    testing::writeExecutable(claude.home() / ".local/bin/claude",
                             "#!/bin/sh\nmkdir -p \"$HOME/state\"\necho $$ > \"$HOME/state/pid\"\n"
                             "sleep 30 &\nexec cat /dev/zero\n");
    const Result<TidiedNotes> tidied = tidy(patWithNotes(), claude.setting(), 60s);
    ASSERT_FALSE(tidied);
    EXPECT_NE(tidied.error().find("wrote more than 8 MiB and was stopped"), std::string::npos)
        << tidied.error().substr(0, 200);
    EXPECT_TRUE(testing::runUntil([&] { return claude.isGone(); }))
        << "what it started is stopped with it";
}

TEST_F(NoteTidierTest, AToolOutlastingTheLimitInThePreferencesIsKilledWithAllItStarted) {
    FakeClaude claude;
    claude.sleepFirst(600);
    m_preferences.setString(QLatin1String(timeLimitKey), QStringLiteral("1"));
    const std::optional<TidyOutcome> outcome = run(patWithNotes(), claude.setting());
    ASSERT_TRUE(outcome) << "stopped at the limit";
    const auto* stopped = std::get_if<TidyStopped>(&*outcome);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(stopped->message, "Claude didn't answer within 1 second: tidying notes for Pat Doe "
                                "stopped — nothing changed.");
    EXPECT_TRUE(testing::runUntil([&] { return claude.isGone(); }))
        << "the tool and its sleep are both gone";
}

TEST_F(NoteTidierTest, AStopKillsTheToolWithAllItStartedAndEndsTheTidyAsCancelled) {
    FakeClaude claude;
    claude.sleepFirst(600);
    NoteTidier tidier(m_preferences, claude.setting());
    std::stop_source stop;
    auto tidying = tidier.tidy(patWithNotes(), stop.get_token());
    ASSERT_TRUE(testing::runUntil([&] { return claude.isAsleep(); }));
    stop.request_stop();
    const std::optional<TidyOutcome> outcome = testing::await(std::move(tidying));
    ASSERT_TRUE(outcome);
    ASSERT_TRUE(std::holds_alternative<TidyStopped>(*outcome));
    EXPECT_EQ(std::get<TidyStopped>(*outcome).message,
              "Tidying notes for Pat Doe cancelled — nothing changed.");
    EXPECT_TRUE(testing::runUntil([&] { return claude.isGone(); }));

    stop = std::stop_source();
    stop.request_stop();
    const std::optional<TidyOutcome> early =
        testing::await(tidier.tidy(patWithNotes(), stop.get_token()));
    ASSERT_TRUE(early);
    EXPECT_TRUE(std::holds_alternative<TidyStopped>(*early)) << "stopped before it began";
}

} // namespace
} // namespace kelvarn::tidy
