#include "persistence/DataFolderStorage.h"

#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace kelvarn {

DataFolderStorage::DataFolderStorage(std::filesystem::path folder) : m_folder(std::move(folder)) {
    // A failure shows later, when the first save fails with its own reason.
    createDataFolder(m_folder);
}

std::filesystem::path DataFolderStorage::path(File file) const {
    return m_folder / (file == File::state ? "session.json" : "corrections.json");
}

Result<std::optional<std::string>> DataFolderStorage::read(File file) {
    auto text = readWholeFile(path(file));
    if (!text) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(std::move(text).value());
}

Result<std::string> DataFolderStorage::setAside(File file, TimePoint now) {
    std::string stamp = iso8601(now);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    const std::filesystem::path from = path(file);
    const std::string stem = from.stem().string();
    // Never replace an earlier set-aside file: a second one in the same second gets a number.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name = stem + "-unreadable-" + stamp +
                                 (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".json";
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, (m_folder / name).c_str(),
                        RENAME_NOREPLACE) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            return Error{std::strerror(errno)};
        }
    }
    return Error{std::strerror(EEXIST)};
}

Result<void> DataFolderStorage::writeStateFile(const std::filesystem::path& path,
                                               const SavedStateSnapshot& snapshot) {
    std::deque<std::string> scratch;
    const std::vector<std::string_view> pieces = savedStatePieces(snapshot, scratch);
    if (const auto failure = writeFileAtomically(path, pieces)) {
        return *failure;
    }
    return {};
}

void DataFolderStorage::writeState(SavedStateSnapshot snapshot) {
    if (auto written = writeStateFile(path(File::state), snapshot); !written) {
        m_failures.push_back(Error{written.error()});
    }
}

Result<void> DataFolderStorage::writeRules(std::string_view text) {
    if (const auto failure = writeFileAtomically(path(File::rules), text)) {
        return *failure;
    }
    return {};
}

void DataFolderStorage::appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) {
    (void)appendToFile(logPath(), iso8601(date) + "\t" + std::string(kindName(kind)) + "\t" +
                                      std::string(text) + "\n");
}

std::vector<Error> DataFolderStorage::takeWriteFailures() {
    return std::exchange(m_failures, {});
}

} // namespace kelvarn
