#include "update/ArchiveUnpacker.h"

#include "ZipBuilder.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvarn::update {
namespace {

using testing::ZipEntry;

constexpr std::int64_t kMegabyte = 1024 * 1024;

std::uintmax_t bytesUnder(const std::filesystem::path& folder) {
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink() && entry.is_regular_file()) {
            total += entry.file_size();
        }
    }
    return total;
}

TEST(ArchiveUnpacker, StopsBeforeTheFilesPassTheCap) {
    const testing::TempFolder temp;
    const auto archive = temp.path() / "update.zip";
    const std::string halfMegabyte(kMegabyte / 2, '\0');
    const std::vector<std::pair<std::vector<ZipEntry>, bool>> cases = {
        {{{"Kelvarn/big", std::string(3 * kMegabyte, '\0')}}, false},
        {{{"Kelvarn/a", halfMegabyte}, {"Kelvarn/b", halfMegabyte}, {"Kelvarn/c", "x"}}, false},
        {{{"Kelvarn/a", halfMegabyte},
          {"Kelvarn/b", halfMegabyte},
          {"Kelvarn/link", "a", ZipEntry::Kind::symlink}},
         true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto folder = temp.path() / std::to_string(i);
        std::filesystem::create_directory(folder);
        testing::writeZip(archive, cases[i].first);
        const Result<void> unpacked = unpackArchive(archive, folder, kMegabyte);
        EXPECT_EQ(unpacked.ok(), cases[i].second);
        if (!cases[i].second) {
            EXPECT_EQ(unpacked.error(),
                      "The download couldn't be unpacked: it unpacks to more than 1 MB.");
        }
        EXPECT_LE(bytesUnder(folder), std::uintmax_t(kMegabyte));
    }
}

} // namespace
} // namespace kelvarn::update
