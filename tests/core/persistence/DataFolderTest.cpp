#include "persistence/DataFolder.h"

#include "persistence/FileIO.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;

fs::perms permissions(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

constexpr fs::perms ownerOnly = fs::perms::owner_all;

// Restores the process's umask however the test ends.
class UmaskGuard final {
public:
    explicit UmaskGuard(mode_t mask) : m_previous(::umask(mask)) {}
    ~UmaskGuard() { ::umask(m_previous); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t m_previous;
};

TEST(DataFolderTest, FoldersArePrivateAndNeverGainPermissions) {
    const testing::TempFolder temp;
    const UmaskGuard openToAll(0);
    const fs::path folder = temp.path() / "share" / "apps" / "Kelvarn";
    ASSERT_TRUE(createDataFolder(folder));
    EXPECT_EQ(permissions(temp.path() / "share"), ownerOnly);
    EXPECT_EQ(permissions(temp.path() / "share" / "apps"), ownerOnly);
    EXPECT_EQ(permissions(folder), ownerOnly);

    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read);
    ASSERT_TRUE(createDataFolder(folder));
    EXPECT_EQ(permissions(folder), ownerOnly);

    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec;
    fs::permissions(folder, readOnly | fs::perms::group_read | fs::perms::others_exec);
    ASSERT_TRUE(createDataFolder(folder));
    EXPECT_EQ(permissions(folder), readOnly);
    fs::permissions(folder, ownerOnly);

    std::ofstream(temp.path() / "plain") << "x";
    const auto notAFolder = createDataFolder(temp.path() / "plain");
    ASSERT_FALSE(notAFolder);
    EXPECT_EQ(notAFolder.error(), "Not a directory");
    EXPECT_FALSE(createDataFolder(temp.path() / "plain" / "Kelvarn"));
}

TEST(DataFolderTest, SetAsideFilesAreStampedNumberedPrivateAndNeverReplaced) {
    const testing::TempFolder temp;
    const fs::path session = temp.path() / "session.json";
    const TimePoint now = fromSecondsSinceReferenceDate(794412429.0); // 2026-03-05T14:07:09Z
    const auto putDamaged = [](const fs::path& file, const std::string& text) {
        std::ofstream(file) << text;
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read | fs::perms::others_read);
    };

    putDamaged(session, "first");
    const auto first = setAsideUnreadable(session, now);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.value(), "session-unreadable-2026-03-05T14-07-09Z.json");
    EXPECT_FALSE(fs::exists(session));
    EXPECT_EQ(readWholeFile(temp.path() / first.value()).value(), "first");
    EXPECT_EQ(permissions(temp.path() / first.value()),
              fs::perms::owner_read | fs::perms::owner_write);

    putDamaged(session, "second");
    EXPECT_EQ(setAsideUnreadable(session, now).value(),
              "session-unreadable-2026-03-05T14-07-09Z-2.json");
    EXPECT_EQ(readWholeFile(temp.path() / first.value()).value(), "first");

    putDamaged(temp.path() / "corrections.json", "{");
    EXPECT_EQ(setAsideUnreadable(temp.path() / "corrections.json", now).value(),
              "corrections-unreadable-2026-03-05T14-07-09Z.json");

    const auto missing = setAsideUnreadable(session, now);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), "No such file or directory");
}

} // namespace
} // namespace kelvarn
