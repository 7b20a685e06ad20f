#include "persistence/DataFolderStorage.h"

#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"

namespace kelvarn {

DataFolderStorage::DataFolderStorage(std::filesystem::path folder) : m_folder(std::move(folder)) {
    // A failure shows later, when the first save fails with its own reason.
    (void)createDataFolder(m_folder);
    m_witness = std::make_unique<FolderWitness>(m_folder);
}

Result<void> DataFolderStorage::stillInPlace() const {
    // A folder that could not be made at the start fails on its own when written.
    if (m_witness->stillAt(m_folder)) {
        return {};
    }
    return Error{m_folder.string() +
                 " was moved, removed or replaced while Kelvarn ran, so nothing more is saved "
                 "there: that would overwrite what it holds now. Export the grades (Ctrl+E) to "
                 "keep this session's, then quit Kelvarn and start it again."};
}

std::filesystem::path DataFolderStorage::path(File file) const {
    return m_folder / (file == File::state ? "session.json" : "corrections.json");
}

Result<std::optional<std::string>> DataFolderStorage::read(File file) {
    return readFileIfPresent(path(file),
                             file == File::state ? maxSessionFileBytes : maxCorrectionsFileBytes);
}

Result<std::string> DataFolderStorage::setAside(File file, TimePoint now) {
    return setAsideUnreadable(path(file), now);
}

Result<void> DataFolderStorage::writeStateFile(const std::filesystem::path& path,
                                               const SavedStateSnapshot& snapshot) {
    std::deque<std::string> scratch;
    const std::vector<std::string_view> pieces = savedStatePieces(snapshot, scratch);
    if (auto written = writeFileAtomically(path, pieces); !written) {
        // Named, so that a failure seen in the feed or a terminal says which file it was.
        return Error{path.string() + ": " + written.error()};
    }
    return {};
}

void DataFolderStorage::writeState(SavedStateSnapshot snapshot) {
    auto written = stillInPlace();
    if (written) {
        written = writeStateFile(path(File::state), snapshot);
    }
    if (!written) {
        m_failures.push_back(Error{written.error()});
        m_failing = true;
        m_recovered = false;
    } else if (std::exchange(m_failing, false)) {
        m_recovered = true;
    }
}

Result<void> DataFolderStorage::writeRules(std::string_view text) {
    if (auto here = stillInPlace(); !here) {
        return here;
    }
    return writeFileAtomically(path(File::rules), text);
}

void DataFolderStorage::appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) {
    if (stillInPlace()) {
        (void)appendToFile(logPath(), activityLogLine(date, kind, text));
    }
}

std::vector<LoggedEntry> DataFolderStorage::recentLog(std::size_t count) {
    // A log grows for as long as Kelvarn is used; its last part holds the newest lines, and
    // lines are short (a long note is a few kilobytes).
    constexpr std::size_t tailBytes = 256 * 1024;
    const auto tail = readFileTail(logPath(), tailBytes);
    if (!tail || !tail.value()) {
        return {};
    }
    const bool cut = tail.value()->size() == tailBytes;
    return newestLogEntries(*tail.value(), count, cut);
}

std::vector<Error> DataFolderStorage::takeWriteFailures() {
    return std::exchange(m_failures, {});
}

bool DataFolderStorage::takeRecovery() {
    return std::exchange(m_recovered, false);
}

} // namespace kelvarn
