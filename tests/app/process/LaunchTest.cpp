#include "process/InstanceChannel.h"
#include "process/LaunchArguments.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvarn {
namespace {

using process::LaunchArguments;

TEST(LaunchArgumentsTest, TakesTheFirstOccurrenceAndIgnoresAFlagWithNothingAfterIt) {
    const auto parsed =
        LaunchArguments::parse({"/usr/bin/kelvarn", "--say", "Nadia Ford intro complete", "--say",
                                "second", "--open-window", "tidy", "--update-now", "--roster"});
    EXPECT_EQ(parsed.say, "Nadia Ford intro complete");
    EXPECT_EQ(parsed.openWindow, "tidy");
    EXPECT_TRUE(parsed.updateNow);
    EXPECT_EQ(parsed.roster, std::nullopt) << "the last argument has nothing after it";
    EXPECT_FALSE(parsed.togglePanel);
    EXPECT_FALSE(parsed.empty());

    EXPECT_TRUE(LaunchArguments::parse({"/usr/bin/kelvarn"}).empty());
    EXPECT_TRUE(LaunchArguments::parse({}).empty()) << "a forward with no arguments at all";
    EXPECT_EQ(LaunchArguments::parse({"kelvarn", "--say", "--roster", "x"}).say, "--roster")
        << "whatever follows the flag is its value";
    EXPECT_EQ(LaunchArguments::parse({"kelvarn", "--say=Omar 4"}).say, "Omar 4");
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--toggle-listening"}).toggleListening);
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--toggle-panel"}).togglePanel);
}

TEST(LaunchArgumentsTest, UnknownFlagsAreListedWhileTheRestStillCounts) {
    const auto parsed =
        LaunchArguments::parse({"kelvarn", "--SAY", "x", "-q", "--roster", "class.txt"});
    EXPECT_EQ(parsed.say, std::nullopt) << "flags match exactly";
    EXPECT_EQ(parsed.roster, "class.txt") << "what a running Kelvarn handed this still does";
    EXPECT_EQ(parsed.unknownFlags, (QStringList{"--SAY", "-q"}));
    EXPECT_TRUE(parsed.warning.contains("SAY")) << parsed.warning.toStdString();
    EXPECT_EQ(LaunchArguments::parse({"kelvarn", "--rooster=class.txt"}).unknownFlags,
              QStringList{"--rooster"});

    const auto missing = LaunchArguments::parse({"kelvarn", "--roster"});
    EXPECT_TRUE(missing.warning.contains("roster"));
    EXPECT_TRUE(missing.unknownFlags.isEmpty()) << "a known flag without its value";
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--say", "x"}).warning.isEmpty());
}

TEST(LaunchArgumentsTest, WhatIsForwardedParsesBackWithTheRosterMadeAbsolute) {
    const QDir launchedIn(QStringLiteral("/home/ta/grading"));
    for (const QStringList& arguments :
         {QStringList{"/usr/bin/kelvarn", "--roster", "class.txt", "--say", "-5 points"},
          QStringList{"kelvarn", "--roster=class.txt", "--say=-5 points"}}) {
        const auto forwarded =
            LaunchArguments::parse(LaunchArguments::parse(arguments).forwarded(launchedIn));
        EXPECT_EQ(forwarded.roster, "/home/ta/grading/class.txt") << arguments.join(' ');
        EXPECT_EQ(forwarded.say, "-5 points") << "a value starting with a dash stays one";
    }
    EXPECT_EQ(
        LaunchArguments::parse(
            LaunchArguments::parse({"kelvarn", "--roster", "/srv/class.txt"}).forwarded(launchedIn))
            .roster,
        "/srv/class.txt");

    const auto everything = LaunchArguments::parse(
        {"kelvarn", "--roster", "/srv/class.txt", "--say", "Omar", "--open-window", "help",
         "--update-now", "--toggle-panel", "--toggle-listening"});
    EXPECT_EQ(LaunchArguments::parse(everything.forwarded(launchedIn)), everything);
    EXPECT_TRUE(
        LaunchArguments::parse(LaunchArguments::parse({"kelvarn"}).forwarded(launchedIn)).empty())
        << "without arguments the running panel is just shown";
}

TEST(LaunchArgumentsTest, HelpAndVersionAreAskedForAndTheHelpNamesEveryFlag) {
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--help"}).help);
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--say", "x", "-h"}).help);
    EXPECT_TRUE(LaunchArguments::parse({"kelvarn", "--version"}).version);

    const QString help = LaunchArguments::helpText();
    for (const char* flag :
         {"--say <TEXT>", "--roster <FILE>", "--open-window <NAME>", "--update-now",
          "--toggle-panel", "--toggle-listening", "--help", "--version"}) {
        EXPECT_TRUE(help.contains(flag)) << flag << " missing from:\n" << help.toStdString();
    }
}

TEST(InstanceChannelTest, ASecondLaunchHandsItsArgumentsToTheFirst) {
    testing::TempFolder temp;
    const QString path = QString::fromStdString((temp.path() / "kelvarn.socket").string());
    process::InstanceChannel first(path);
    EXPECT_EQ(first.forwardToRunningInstance({"kelvarn"}).outcome,
              process::InstanceChannel::Forwarded::Outcome::noInstance)
        << "nobody is running yet";

    // A socket left behind by a crashed instance: bound, never unlinked, nobody listening.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.toUtf8().constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);

    QStringList received;
    QStringList failures;
    ASSERT_TRUE(first.listen([&](const QStringList& arguments) {
        received = arguments;
        return failures;
    })) << first.error();
    // The second launch blocks while it waits for an answer, as a separate process would.
    const auto forward = [&](const QStringList& arguments) {
        auto second = std::async(std::launch::async, [&] {
            return process::InstanceChannel(path).forwardToRunningInstance(arguments);
        });
        EXPECT_TRUE(testing::runUntil([&] { return received == arguments; }));
        return second.get();
    };
    const auto done = forward({"kelvarn", "--say", "Omar Haddad"});
    EXPECT_EQ(done.outcome, process::InstanceChannel::Forwarded::Outcome::handled);
    EXPECT_EQ(done.message, "");

    // What the running instance could not do comes back for the second launch to say.
    failures = {"gone.txt: Couldn't read roster", "Autosave failed: disk full"};
    const auto undone = forward({"kelvarn", "--roster", "/gone.txt"});
    EXPECT_EQ(undone.outcome, process::InstanceChannel::Forwarded::Outcome::handled);
    EXPECT_EQ(undone.message, "gone.txt: Couldn't read roster\nAutosave failed: disk full");
}

} // namespace
} // namespace kelvarn
