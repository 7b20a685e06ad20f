#include "persistence/FileIO.h"

#include "support/Uuid.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;

class FileIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("kelvarn-fileio-" + Uuid::generate().toString());
        fs::create_directory(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_folder;
};

fs::perms permissions(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

TEST_F(FileIOTest, AtomicWriteReplacesTheWholeFileAndKeepsItPrivate) {
    const fs::path file = m_folder / "session.json";
    ASSERT_TRUE(writeFileAtomically(file, "a much longer first version"));
    EXPECT_EQ(permissions(file), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(writeFileAtomically(file, std::string("new\0bytes", 9)));
    const auto read = readWholeFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value(), std::string("new\0bytes", 9));
    EXPECT_EQ(entries(), std::vector<std::string>{"session.json"}) << "no temporary file left";

    const std::string large(200'000, 'x');
    ASSERT_TRUE(writeFileAtomically(file, large));
    EXPECT_EQ(readWholeFile(file).value(), large);

    // More pieces than one gathered write takes, some empty, some large.
    std::vector<std::string> owned;
    for (int i = 0; i < 3000; ++i) {
        owned.push_back(i % 7 == 0 ? std::string()
                                   : std::string(static_cast<std::size_t>(i % 300), 'a' + i % 26));
    }
    owned.push_back(large);
    const std::vector<std::string_view> pieces(owned.begin(), owned.end());
    std::string joined;
    for (const auto& piece : owned) {
        joined += piece;
    }
    ASSERT_TRUE(writeFileAtomically(file, pieces));
    EXPECT_EQ(readWholeFile(file).value(), joined);
}

TEST_F(FileIOTest, FailedWritesReportTheSystemErrorAndLeaveNothingBehind) {
    const auto missingFolder = writeFileAtomically(m_folder / "missing" / "session.json", "x");
    ASSERT_FALSE(missingFolder);
    EXPECT_EQ(missingFolder.error(), "No such file or directory");

    std::ofstream(m_folder / "plain") << "old";
    const auto folderIsAFile = writeFileAtomically(m_folder / "plain" / "session.json", "x");
    ASSERT_FALSE(folderIsAFile);
    EXPECT_EQ(folderIsAFile.error(), "Not a directory");

    // The rename fails only after the temporary file is complete: it must be removed, and what
    // stands at the target must stay as it was.
    fs::create_directory(m_folder / "session.json");
    std::ofstream(m_folder / "session.json" / "inside") << "kept";
    const auto targetIsAFolder = writeFileAtomically(m_folder / "session.json", "new");
    ASSERT_FALSE(targetIsAFolder);
    EXPECT_EQ(targetIsAFolder.error(), "Is a directory");
    EXPECT_EQ(readWholeFile(m_folder / "session.json" / "inside").value(), "kept");
    EXPECT_EQ(readWholeFile(m_folder / "plain").value(), "old");
    EXPECT_EQ(entries(), (std::vector<std::string>{"plain", "session.json"}));
}

TEST_F(FileIOTest, AppendsCreatePrivateFilesAndAddToTheEnd) {
    const fs::path log = m_folder / "actions.log";
    ASSERT_TRUE(appendToFile(log, "one\n"));
    EXPECT_EQ(permissions(log), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(appendToFile(log, "two\n"));
    EXPECT_EQ(readWholeFile(log).value(), "one\ntwo\n");

    const auto failed = appendToFile(m_folder / "missing" / "actions.log", "x");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), "No such file or directory");
}

TEST_F(FileIOTest, AppendsGoNeitherThroughLinksNorIntoPipesOrDevices) {
    std::ofstream(m_folder / "elsewhere") << "mine";
    fs::create_symlink(m_folder / "elsewhere", m_folder / "actions.log");
    const auto linked = appendToFile(m_folder / "actions.log", "entry\n");
    ASSERT_FALSE(linked);
    EXPECT_EQ(linked.error(), "Is a symbolic link, which is not followed");
    EXPECT_EQ(readWholeFile(m_folder / "elsewhere").value(), "mine");

    ASSERT_EQ(::mkfifo((m_folder / "pipe").c_str(), 0600), 0);
    const auto unread = appendToFile(m_folder / "pipe", "entry\n");
    ASSERT_FALSE(unread);
    EXPECT_EQ(unread.error(), "Is not a regular file");
    const int reader = ::open((m_folder / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto read = appendToFile(m_folder / "pipe", "entry\n");
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error(), "Is a named pipe, not a regular file");
    char buffer[8];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0) << "nothing was written into the pipe";
    ::close(reader);

    const auto device = appendToFile("/dev/null", "entry\n");
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error(), "Is a device, not a regular file");
}

TEST_F(FileIOTest, ATailIsTheFilesLastBytesAndNeverReadThroughALinkOrAPipe) {
    const fs::path log = m_folder / "actions.log";
    EXPECT_EQ(readFileTail(log, 4).value(), std::nullopt) << "no log yet";
    std::ofstream(log) << "0123456789";
    EXPECT_EQ(readFileTail(log, 4).value(), "6789");
    EXPECT_EQ(readFileTail(log, 100).value(), "0123456789");

    fs::create_symlink(log, m_folder / "linked.log");
    const auto linked = readFileTail(m_folder / "linked.log", 4);
    ASSERT_FALSE(linked);
    EXPECT_EQ(linked.error(), "Is a symbolic link, which is not followed");
    ASSERT_EQ(::mkfifo((m_folder / "pipe").c_str(), 0600), 0);
    const auto pipe = readFileTail(m_folder / "pipe", 4);
    ASSERT_FALSE(pipe) << "returned instead of waiting for a writer";
    EXPECT_EQ(pipe.error(), "Is a named pipe, not a regular file");
}

TEST_F(FileIOTest, UserFilesAreWrittenThroughLinksKeepTheirModeAndOnlyReplaceRegularFiles) {
    const auto ownerAnd = [](fs::perms others) {
        return fs::perms::owner_read | fs::perms::owner_write | others;
    };
    ASSERT_TRUE(writeUserFileAtomically(m_folder / "new.csv", "a"));
    EXPECT_EQ(permissions(m_folder / "new.csv"), ownerAnd(fs::perms::none));
    fs::permissions(m_folder / "new.csv", ownerAnd(fs::perms::group_read));
    ASSERT_TRUE(writeUserFileAtomically(m_folder / "new.csv", "b"));
    EXPECT_EQ(readWholeFile(m_folder / "new.csv").value(), "b");
    EXPECT_EQ(permissions(m_folder / "new.csv"), ownerAnd(fs::perms::group_read));

    // A chain of links, relative and absolute, ending at an existing file or at none yet.
    fs::create_directory(m_folder / "exports");
    fs::create_symlink("exports/grades.csv", m_folder / "latest.csv");
    fs::create_symlink(m_folder / "latest.csv", m_folder / "shortcut.csv");
    ASSERT_TRUE(writeUserFileAtomically(m_folder / "shortcut.csv", "first"));
    fs::permissions(m_folder / "exports" / "grades.csv", ownerAnd(fs::perms::others_read));
    ASSERT_TRUE(writeUserFileAtomically(m_folder / "shortcut.csv", "second"));
    EXPECT_TRUE(fs::is_symlink(m_folder / "shortcut.csv"));
    EXPECT_TRUE(fs::is_symlink(m_folder / "latest.csv"));
    EXPECT_EQ(readWholeFile(m_folder / "exports" / "grades.csv").value(), "second");
    EXPECT_EQ(permissions(m_folder / "exports" / "grades.csv"), ownerAnd(fs::perms::others_read));
    EXPECT_EQ(fs::directory_iterator(m_folder / "exports")->path().filename(), "grades.csv");

    ASSERT_EQ(::mkfifo((m_folder / "pipe").c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (m_folder / "socket").string();
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("pipe", m_folder / "to-pipe");
    const std::vector<std::pair<std::string, std::string>> refused{
        {"pipe", "Is a named pipe, not a regular file"},
        {"to-pipe", "Is a named pipe, not a regular file"},
        {"socket", "Is a socket, not a regular file"},
        {"exports", "Is a directory"},
    };
    for (const auto& [name, reason] : refused) {
        const auto written = writeUserFileAtomically(m_folder / name, "x");
        ASSERT_FALSE(written) << name;
        EXPECT_EQ(written.error(), reason);
    }
    ::close(listening);
    EXPECT_TRUE(fs::is_fifo(m_folder / "pipe"));
    EXPECT_TRUE(fs::is_socket(m_folder / "socket"));

    fs::create_symlink("loop", m_folder / "loop");
    EXPECT_EQ(writeUserFileAtomically(m_folder / "loop", "x").error(),
              "Too many levels of symbolic links");
}

TEST_F(FileIOTest, ReadingAMissingFileOrAFolderFails) {
    const auto missing = readWholeFile(m_folder / "nothing.json");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), "No such file or directory");
    const auto folder = readWholeFile(m_folder);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error(), "Is a directory");
}

TEST_F(FileIOTest, OnlyTheLeftoversOfInterruptedAtomicWritesAreRemoved) {
    const std::string uuid = Uuid::generate().toString();
    const std::vector<std::string> leftovers{".session.json." + uuid + ".tmp",
                                             ".corrections.json." + uuid + ".tmp"};
    const std::vector<std::string> kept{
        "session.json",
        "session.json." + uuid + ".tmp", // not hidden
        ".session.json.not-a-uuid-at-all-but-thirty-six.tmp",
        ".session.json." + uuid + ".json", // another ending
        "." + uuid + ".tmp",               // no name before the uuid
        ".notes." + uuid + ".tmp",         // a folder, below
    };
    for (const auto& name : leftovers) {
        std::ofstream(m_folder / name) << "half";
    }
    for (const auto& name : kept) {
        if (name.starts_with(".notes.")) {
            fs::create_directory(m_folder / name);
        } else {
            std::ofstream(m_folder / name) << "keep";
        }
    }
    fs::create_symlink(m_folder / "session.json", m_folder / (".linked.json." + uuid + ".tmp"));

    EXPECT_EQ(removeLeftoverTemporaryFiles(m_folder), 2u);
    std::vector<std::string> expected = kept;
    expected.push_back(".linked.json." + uuid + ".tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(removeLeftoverTemporaryFiles(m_folder / "missing"), 0u);
}

TEST_F(FileIOTest, ReadingTellsAMissingFileApartFromEveryOtherFailure) {
    const auto missing = readFileIfPresent(m_folder / "session.json", maxSessionFileBytes);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing.value());

    std::ofstream(m_folder / "plain") << "0123456789";
    fs::create_symlink(m_folder / "plain", m_folder / "linked");
    EXPECT_EQ(readFileIfPresent(m_folder / "linked", 10).value(), "0123456789");
    const auto tooLarge = readFileIfPresent(m_folder / "plain", 9);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.error(), "Is larger than 9 bytes");

    // Neither may hang or fill memory: a pipe nobody writes to, an endless device, a sparse file.
    ASSERT_EQ(::mkfifo((m_folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_folder / "zero");
    std::ofstream(m_folder / "sparse").close();
    fs::resize_file(m_folder / "sparse", std::uintmax_t{2} << 30);
    const std::vector<std::pair<std::string, std::string>> refused{
        {"pipe", "Is a named pipe, not a regular file"},
        {"zero", "Is a device, not a regular file"},
        {"sparse", "Is larger than 16 MiB"},
        {"", "Is a directory"},
    };
    for (const auto& [name, reason] : refused) {
        const auto read = readFileIfPresent(m_folder / name, maxCorrectionsFileBytes);
        ASSERT_FALSE(read) << name;
        EXPECT_EQ(read.error(), reason);
        EXPECT_EQ(readWholeFile(m_folder / name, maxCorrectionsFileBytes).error(), reason);
    }

    if (::geteuid() != 0) { // root reads anything
        fs::permissions(m_folder / "plain", fs::perms::none);
        const auto denied = readFileIfPresent(m_folder / "plain", 10);
        ASSERT_FALSE(denied);
        EXPECT_EQ(denied.error(), "Permission denied");
    }
}

} // namespace
} // namespace kelvarn
