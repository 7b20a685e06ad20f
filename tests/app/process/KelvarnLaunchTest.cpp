// The kelvarn program itself, as a user starts it, on the test's own X server.
#include "persistence/DataFolder.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// What the folder holds of the class: session.json and the changes journalled since it was
// written, as text to search.
std::string savedText(const fs::path& folder) {
    return contentOf(folder / "session.json") + contentOf(folder / "session.journal");
}

// Each line of an activity log without its time stamp.
std::vector<std::string> logEntries(const fs::path& log) {
    std::vector<std::string> entries;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        entries.push_back(line.substr(line.find('\t') + 1));
    }
    return entries;
}

class KelvarnLaunchTest : public ::testing::Test {
protected:
    KelvarnLaunchTest() {
        fs::create_directories(temp.path() / "runtime");
        fs::permissions(temp.path() / "runtime", fs::perms::owner_all);
        environment.insert("HOME", QString::fromStdString(temp.path().string()));
        environment.insert("XDG_DATA_HOME",
                           QString::fromStdString((temp.path() / "data").string()));
        environment.insert("XDG_CONFIG_HOME",
                           QString::fromStdString((temp.path() / "config").string()));
        environment.insert("XDG_RUNTIME_DIR",
                           QString::fromStdString((temp.path() / "runtime").string()));
        std::ofstream(temp.path() / "class.txt") << "Ford, Nadia\nOmar Haddad\n";
    }
    fs::path data() const { return temp.path() / "data" / "Kelvarn"; }
    QString roster() const { return QString::fromStdString((temp.path() / "class.txt").string()); }
    void start(QProcess& process, const QString& program, const QStringList& arguments) {
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    testing::TempFolder temp;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(KelvarnLaunchTest, SayAtLaunchAndFromASecondLaunchThenAnOrderlyEnd) {
    QProcess first;
    start(first, KELVARN_BINARY, {"--roster", roster(), "--say", "Nadia Ford intro complete"});
    ASSERT_TRUE(testing::runUntil(
        [&] { return savedText(data()).find("complete") != std::string::npos; }, 20s))
        << first.readAllStandardError().toStdString();

    QProcess second;
    start(second, KELVARN_BINARY, {"--say", "Omar Haddad. Strong ending."});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0) << "handed over to the running one";
    ASSERT_TRUE(testing::runUntil(
        [&] {
            return contentOf(data() / "actions.log").find("Strong ending") != std::string::npos;
        },
        10s));

    // An orderly end, and not a hang.
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(savedText(data()).find("Strong ending."), std::string::npos)
        << "the last change is saved";

    // The same words through kelvarnctl give the same feed.
    const fs::path other = temp.path() / "ctl";
    QProcess ctl;
    start(ctl, KELVARNCTL_BINARY,
          {"--data-dir", QString::fromStdString(other.string()), "roster", roster()});
    ASSERT_TRUE(ctl.waitForFinished(10000));
    start(ctl, KELVARNCTL_BINARY,
          {"--data-dir", QString::fromStdString(other.string()), "say", "Nadia Ford intro complete",
           "Omar Haddad. Strong ending."});
    ASSERT_TRUE(ctl.waitForFinished(10000));
    EXPECT_EQ(logEntries(data() / "actions.log"), logEntries(other / "actions.log"));
}

TEST_F(KelvarnLaunchTest, HelpAndVersionAnswerWithoutASessionAndAWrongFlagIsSaid) {
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    QProcess help;
    start(help, KELVARN_BINARY, {"--roster", roster(), "--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString usage = QString::fromLocal8Bit(help.readAllStandardOutput());
    EXPECT_TRUE(usage.contains("--toggle-listening")) << usage.toStdString();
    EXPECT_FALSE(fs::exists(data() / "session.json")) << "asking for help changes nothing";

    QProcess version;
    start(version, KELVARN_BINARY, {"--version"});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_TRUE(version.readAllStandardOutput().startsWith("kelvarn " KELVARN_VERSION));

    QProcess wrong;
    start(wrong, KELVARN_BINARY, {"--rooster", roster()});
    ASSERT_TRUE(wrong.waitForFinished(10000));
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_EQ(wrong.readAllStandardError(),
              "kelvarn: unknown flag --rooster (kelvarn --help lists them)\n");
}

TEST_F(KelvarnLaunchTest, RosterPathsFollowTheLaunchThatNamedThemAndFailuresAreSaid) {
    fs::create_directories(temp.path() / "first");
    QProcess first;
    first.setWorkingDirectory(QString::fromStdString((temp.path() / "first").string()));
    const QString missing = QString::fromStdString((temp.path() / "missing.txt").string());
    start(first, KELVARN_BINARY, {"--roster", missing});
    const QString failure = missing + ": Couldn't read roster: No such file or directory";
    QString errors;
    ASSERT_TRUE(testing::runUntil(
        [&] {
            errors += QString::fromLocal8Bit(first.readAllStandardError());
            return errors.contains("kelvarn: " + failure + "\n");
        },
        20s))
        << errors.toStdString();
    ASSERT_TRUE(testing::runUntil(
        [&] {
            return contentOf(data() / "actions.log").find(failure.toStdString()) !=
                   std::string::npos;
        },
        10s))
        << "the feed says it too";
    EXPECT_EQ(first.state(), QProcess::Running) << "an unreadable roster does not stop a launch";

    // A second launch names files from its own folder, in either form of the flag.
    const auto launchInTemp = [&](const QStringList& arguments) {
        QProcess second;
        second.setWorkingDirectory(QString::fromStdString(temp.path().string()));
        start(second, KELVARN_BINARY, arguments);
        EXPECT_TRUE(second.waitForFinished(10000));
        return std::pair{second.exitCode(), second.readAllStandardError()};
    };
    EXPECT_EQ(launchInTemp({"--roster", "class.txt"}).first, 0);
    ASSERT_TRUE(testing::runUntil(
        [&] { return savedText(data()).find("Omar Haddad") != std::string::npos; }, 10s));
    // What the running Kelvarn could not do, the second launch says too.
    const auto unread = launchInTemp({"--roster=gone.txt"});
    const std::string gone =
        (temp.path() / "gone.txt").string() + ": Couldn't read roster: No such file or directory";
    EXPECT_EQ(unread.first, 1);
    EXPECT_TRUE(unread.second.contains(("kelvarn: " + gone + "\n").c_str()))
        << unread.second.toStdString();
    ASSERT_TRUE(testing::runUntil(
        [&] { return contentOf(data() / "actions.log").find(gone) != std::string::npos; }, 10s));

    // A mistyped flag is refused before anything reaches the running Kelvarn.
    const auto refused = launchInTemp({"--rooster", "--say", "Refused words."});
    EXPECT_EQ(refused.first, 2);
    EXPECT_TRUE(refused.second.contains("unknown flag --rooster")) << refused.second.toStdString();
    EXPECT_EQ(launchInTemp({"--say", "Accepted words."}).first, 0);
    ASSERT_TRUE(testing::runUntil(
        [&] {
            return contentOf(data() / "actions.log").find("Accepted words.") != std::string::npos;
        },
        10s));
    EXPECT_EQ(contentOf(data() / "actions.log").find("Refused words."), std::string::npos);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(5000));
}

// Whoever holds the data folder, a launch that cannot take it neither grades unsaved nor becomes
// the Kelvarn that second launches talk to.
TEST_F(KelvarnLaunchTest, ALaunchThatCannotTakeTheDataFolderDoesNothingAndSaysSo) {
    ASSERT_TRUE(createDataFolder(data()));
    auto held = DataFolderLock::acquire(data());
    ASSERT_TRUE(held) << held.error();
    QProcess kelvarn;
    start(kelvarn, KELVARN_BINARY, {"--roster", roster(), "--say", "Nadia Ford intro complete"});
    ASSERT_TRUE(kelvarn.waitForFinished(20000));
    EXPECT_EQ(kelvarn.exitCode(), 1);
    const std::string errors = kelvarn.readAllStandardError().toStdString();
    EXPECT_NE(errors.find("this launch did nothing"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(temp.path() / "runtime" / "kelvarn.socket"));
}

// A stopped (or stuck) Kelvarn keeps its place: the next launch says it did not answer, instead
// of replacing it with one that saves nothing, and once it runs again launches reach it.
TEST_F(KelvarnLaunchTest, AStoppedKelvarnIsNotReplacedAndAHandedOverChangeIsAlreadySaved) {
    QProcess first;
    start(first, KELVARN_BINARY, {"--roster", roster()});
    const fs::path socket = temp.path() / "runtime" / "kelvarn.socket";
    ASSERT_TRUE(testing::runUntil([&] { return fs::exists(socket); }, 20s))
        << first.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(first.processId()), SIGSTOP);

    QProcess second;
    start(second, KELVARN_BINARY, {"--say", "Omar Haddad. Weak ending."});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 1);
    const std::string errors = second.readAllStandardError().toStdString();
    EXPECT_NE(errors.find("did not answer"), std::string::npos) << errors;
    EXPECT_TRUE(fs::exists(socket)) << "the stopped Kelvarn's socket is left to it";

    ::kill(static_cast<pid_t>(first.processId()), SIGCONT);
    QProcess third;
    start(third, KELVARN_BINARY, {"--say", "Nadia Ford. Strong ending."});
    ASSERT_TRUE(third.waitForFinished(30000));
    EXPECT_EQ(third.exitCode(), 0) << third.readAllStandardError().toStdString();
    EXPECT_NE(savedText(data()).find("Strong ending."), std::string::npos)
        << "on disk by the time the launch says it is done";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
}

// A desktop without a tray leaves the panel as the only way out: its menu and Ctrl+Q quit, and
// its ✕ only hides it.
TEST_F(KelvarnLaunchTest, ThePanelQuitsWithCtrlQWhereThereIsNoTray) {
    QProcess kelvarn;
    start(kelvarn, KELVARN_BINARY, {"--say", "Strong opening."});
    QProcess search;
    search.start("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^Kelvarn$"});
    ASSERT_TRUE(search.waitForFinished(20000));
    const QString window = QString::fromLatin1(search.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(window.isEmpty()) << kelvarn.readAllStandardError().toStdString();
    ASSERT_TRUE(testing::runUntil(
        [&] {
            return contentOf(data() / "actions.log").find("Strong opening.") != std::string::npos;
        },
        20s));

    // A click below the title strip gives the panel the keyboard.
    EXPECT_EQ(QProcess::execute("xdotool", {"mousemove", "--sync", "--window", window, "200", "400",
                                            "click", "1"}),
              0);
    ASSERT_TRUE(testing::runUntil(
        [&] {
            QProcess focus;
            focus.start("xdotool", {"getwindowfocus"});
            focus.waitForFinished(5000);
            return QString::fromLatin1(focus.readAllStandardOutput()).trimmed() == window;
        },
        10s));
    EXPECT_EQ(QProcess::execute("xdotool", {"key", "ctrl+q"}), 0);
    ASSERT_TRUE(kelvarn.waitForFinished(20000)) << "Ctrl+Q in the panel quits";
    EXPECT_EQ(kelvarn.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kelvarn.exitCode(), 0);
}

} // namespace
} // namespace kelvarn
