// The channel between a second launch and the running Kelvarn, against peers that are not a
// well-behaved second launch: another user, a flood, a half-sent message, a silent instance.
#include "process/InstanceChannel.h"
#include "process/PrivateSocketFolder.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using process::InstanceChannel;
using Outcome = InstanceChannel::Forwarded::Outcome;

constexpr uid_t nobody = 65534;

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(InstanceChannelTest, TheSocketFolderIsOneOnlyThisUserCanEnter) {
    testing::TempFolder temp;
    // Without a runtime folder: made private, and found again as it was.
    const auto made = process::privateSocketFolder(std::nullopt, temp.path());
    ASSERT_TRUE(made) << made.error();
    EXPECT_EQ(made.value(), temp.path() / ("kelvarn-" + std::to_string(::getuid())));
    EXPECT_EQ(modeOf(made.value()), 0700u);
    EXPECT_TRUE(process::privateSocketFolder(std::nullopt, temp.path()));
    EXPECT_EQ(process::privateSocketFolder(temp.path(), "/nonexistent").value(), temp.path())
        << "the runtime folder, when it is private";

    // What another user could have put in its place is refused and left as it was.
    ::chmod(made.value().c_str(), 0777);
    const auto open = process::privateSocketFolder(std::nullopt, temp.path());
    ASSERT_FALSE(open);
    EXPECT_NE(open.error().find("other users may enter it"), std::string::npos) << open.error();
    EXPECT_EQ(modeOf(made.value()), 0777u);
    fs::remove(made.value());
    fs::create_directory(temp.path() / "elsewhere");
    fs::create_directory_symlink(temp.path() / "elsewhere", made.value());
    const auto linked = process::privateSocketFolder(std::nullopt, temp.path());
    ASSERT_FALSE(linked);
    EXPECT_NE(linked.error().find("symbolic link"), std::string::npos) << linked.error();
    if (::getuid() == 0) {
        fs::remove(made.value());
        fs::create_directory(made.value());
        ::chmod(made.value().c_str(), 0700);
        ASSERT_EQ(::chown(made.value().c_str(), nobody, nobody), 0);
        const auto theirs = process::privateSocketFolder(std::nullopt, temp.path());
        ASSERT_FALSE(theirs);
        EXPECT_NE(theirs.error().find("belongs to user 65534"), std::string::npos)
            << theirs.error();
    }
}

// A raw client, as a hostile or broken peer would be: sends what it is given and nothing more.
struct RawClient {
    explicit RawClient(const QString& path) {
        socket.connectToServer(path);
        EXPECT_TRUE(socket.waitForConnected(5000));
    }
    void sendHeaderClaiming(quint32 size, int bodyBytes) {
        QByteArray bytes;
        QDataStream(&bytes, QIODevice::WriteOnly) << size;
        socket.write(bytes + QByteArray(bodyBytes, 'x'));
        socket.flush();
    }
    bool closedByTheInstance() {
        return testing::runUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; });
    }
    QLocalSocket socket;
};

TEST(InstanceChannelTest, HalfSentMessagesFloodsAndOversizedOnesHoldNothing) {
    testing::TempFolder temp;
    const QString path = QString::fromStdString((temp.path() / "kelvarn.socket").string());
    InstanceChannel::Limits limits;
    limits.connections = 2;
    limits.message = std::chrono::milliseconds(100);
    InstanceChannel first(path, limits);
    int handled = 0;
    ASSERT_TRUE(first.listen([&](const QStringList&) {
        ++handled;
        return QStringList();
    }));

    RawClient oversized(path);
    oversized.sendHeaderClaiming(InstanceChannel::maxMessageBytes + 1, 16);
    EXPECT_TRUE(oversized.closedByTheInstance());

    RawClient half(path);
    RawClient other(path);
    half.sendHeaderClaiming(1000, 10);
    other.sendHeaderClaiming(1000, 10);
    RawClient third(path);
    EXPECT_TRUE(third.closedByTheInstance()) << "beyond the connections allowed";
    EXPECT_TRUE(half.closedByTheInstance()) << "a message sent half is dropped in time";
    EXPECT_TRUE(other.closedByTheInstance());
    EXPECT_EQ(handled, 0);

    // None of that keeps a second launch out afterwards.
    auto second = std::async(std::launch::async, [&] {
        return InstanceChannel(path).forwardToRunningInstance({"kelvarn", "--say", "Omar"});
    });
    ASSERT_TRUE(testing::runUntil([&] { return handled == 1; }));
    EXPECT_EQ(second.get().outcome, Outcome::handled);
}

TEST(InstanceChannelTest, AnInstanceThatDoesNotAnswerIsAFailureNotAnAbsence) {
    testing::TempFolder temp;
    const QString path = QString::fromStdString((temp.path() / "kelvarn.socket").string());
    // Listening, as a stopped or busy instance's socket is, but never reading.
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(path));
    InstanceChannel::Limits limits;
    limits.answer = std::chrono::milliseconds(100);
    const auto forwarded =
        InstanceChannel(path, limits).forwardToRunningInstance({"kelvarn", "--say", "x"});
    EXPECT_EQ(forwarded.outcome, Outcome::failed);
    EXPECT_NE(forwarded.message.indexOf("did not answer"), -1) << forwarded.message.toStdString();
    EXPECT_TRUE(fs::exists(path.toStdString())) << "its socket is left alone";
}

// The other user's side runs in Python under setpriv, as a separate process of that user.
class AnotherUserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::getuid() != 0) {
            GTEST_SKIP() << "running a process as another user needs root";
        }
        // Reachable for the other user, as if the folder's protection had failed: the peer check
        // must hold on its own.
        ::chmod(temp.path().c_str(), 0777);
    }
    QString socketPath(const char* name) const {
        return QString::fromStdString((temp.path() / name).string());
    }
    void startAsNobody(QProcess& process, const QString& script, const QString& path) {
        // The system's Python: one under root's home is not the other user's to run.
        process.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                  "/usr/bin/python3", "-c", script, path});
        ASSERT_TRUE(process.waitForStarted(5000));
    }
    static QString outputOf(QProcess& process) {
        EXPECT_TRUE(testing::runUntil([&] { return process.state() == QProcess::NotRunning; },
                                      std::chrono::seconds(20)));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    testing::TempFolder temp;
};

TEST_F(AnotherUserTest, ItsArgumentsAreNotTaken) {
    const QString path = socketPath("kelvarn.socket");
    InstanceChannel first(path);
    int handled = 0;
    ASSERT_TRUE(first.listen([&](const QStringList&) {
        ++handled;
        return QStringList();
    }));
    ::chmod(path.toUtf8().constData(), 0777);
    // A whole, well-formed message: an empty argument list.
    QProcess other;
    startAsNobody(other, R"(
import socket, struct, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
try:
    s.sendall(struct.pack(">II", 4, 0))
    answer = s.recv(1)
except OSError:
    answer = b""
print("answered" if answer else "closed"))",
                  path);
    EXPECT_EQ(outputOf(other), "closed") << other.readAllStandardError().toStdString();
    EXPECT_EQ(handled, 0);
}

TEST_F(AnotherUserTest, ASocketItListensOnIsToldNothing) {
    const QString path = socketPath("kelvarn.socket");
    QProcess other;
    startAsNobody(other, R"(
import os, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o777)
s.listen(1)
print("listening", flush=True)
c, _ = s.accept()
received = b""
while True:
    chunk = c.recv(65536)
    if not chunk:
        break
    received += chunk
print(len(received)))",
                  path);
    ASSERT_TRUE(testing::runUntil([&] { return other.canReadLine(); }, std::chrono::seconds(20)));
    EXPECT_EQ(other.readLine().trimmed(), "listening");

    const auto forwarded = InstanceChannel(path).forwardToRunningInstance(
        {"kelvarn", "--say", "Omar Haddad. Suspected plagiarism."});
    EXPECT_EQ(forwarded.outcome, Outcome::failed);
    EXPECT_NE(forwarded.message.indexOf("is not this user's Kelvarn"), -1)
        << forwarded.message.toStdString();
    EXPECT_EQ(outputOf(other), "0") << "not a byte of the arguments";
}

} // namespace
} // namespace kelvarn
