#include "persistence/DataFolderStorage.h"

#include "persistence/CompactionPolicy.h"
#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"
#include "persistence/JournalReplay.h"
#include "persistence/SavedStateJson.h"
#include "persistence/StateDifference.h"

namespace kelvarn {

namespace {

// A journal is folded into session.json at a few megabytes; anything far larger is damage.
constexpr std::size_t maxJournalFileBytes = 256 * mebibyte;
constexpr std::string_view journalAsideStem = "session-journal";

SavedStateSnapshot snapshotOf(const SavedState& state) {
    SavedStateSnapshot snapshot{state.session, {}};
    for (const UndoEntry& entry : state.undo) {
        snapshot.undo.push_back({std::make_shared<KeptUndoEntry>(entry), entry.date});
    }
    return snapshot;
}

} // namespace

DataFolderStorage::DataFolderStorage(std::filesystem::path folder) : m_folder(std::move(folder)) {
    // A failure shows later, when the first save fails with its own reason.
    (void)createDataFolder(m_folder);
    m_witness = std::make_unique<FolderWitness>(m_folder);
}

DataFolderStorage::~DataFolderStorage() {
    compact();
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
    switch (file) {
    case File::state:
        return m_folder / "session.json";
    case File::rules:
        return m_folder / "corrections.json";
    case File::comments:
        break;
    }
    return m_folder / "comments.json";
}

Result<std::optional<std::string>> DataFolderStorage::read(File file) {
    auto text = readFileIfPresent(path(file), file == File::state ? maxSessionFileBytes
                                                                  : maxCorrectionsFileBytes);
    if (file == File::state && text) {
        m_readBase =
            text.value() ? std::optional(StateFingerprint::of(*text.value())) : std::nullopt;
        m_stateBytes = m_readBase ? m_readBase->bytes : 0;
    }
    return text;
}

Result<std::string> DataFolderStorage::setAside(File file, TimePoint now) {
    auto aside = setAsideUnreadable(path(file), now);
    if (file == File::state && aside) {
        // The journal's changes belong to the file set aside and go with it.
        std::error_code error;
        if (std::filesystem::symlink_status(journalPath(), error).type() !=
            std::filesystem::file_type::not_found) {
            (void)setAsideUnreadableAs(journalPath(), journalAsideStem, "", now);
        }
        m_readBase.reset();
        m_stateBytes = 0;
    }
    return aside;
}

JournalRecovery DataFolderStorage::recover(SavedState& state, TimePoint now) {
    JournalRecovery report;
    std::vector<StateJournal::Change> carried;
    std::int64_t nextSerial = 1;
    const auto text = readFileNotFollowingLinks(journalPath(), maxJournalFileBytes);
    if (!text) {
        report.problem = text.error();
        if (auto aside = setAsideUnreadableAs(journalPath(), journalAsideStem, "", now)) {
            report.setAside = aside.value();
        } else {
            *report.problem += "; it could not be set aside either: " + aside.error();
        }
    } else if (text.value()) {
        const JournalReplay replay = replayJournal(*text.value(), m_readBase, state);
        if (replay.outcome == JournalReplay::Outcome::damaged) {
            report.problem = replay.problem;
            if (auto kept = keepUnreadableCopy(journalPath(), journalAsideStem, "", now)) {
                report.setAside = kept.value();
            } else {
                *report.problem += "; no copy of it could be kept: " + kept.error();
            }
        }
        for (const JournalReplay::Applied& applied : replay.applied) {
            carried.push_back({applied.serial, std::string(applied.payload)});
        }
        nextSerial = replay.nextSerial;
        report.changes = replay.applied.size();
    }
    m_compactedUpTo = nextSerial - 1 - static_cast<std::int64_t>(carried.size());
    m_journal = std::make_unique<StateJournal>(journalPath(), m_readBase, nextSerial);
    // A new file from what was read: a torn or damaged end is left behind, a stale one replaced.
    if (auto here = stillInPlace(); !here) {
        noteResult(here);
    } else {
        noteResult(m_journal->startOver(std::move(carried)));
    }
    return report;
}

void DataFolderStorage::replayOnly(SavedState& state) const {
    const auto text = readFileNotFollowingLinks(journalPath(), maxJournalFileBytes);
    if (text && text.value()) {
        (void)replayJournal(*text.value(), m_readBase, state);
    }
}

StateJournal& DataFolderStorage::journal() {
    if (!m_journal) {
        // Written to without a store's load: start from what the files hold now.
        SavedState state;
        if (const auto text = read(File::state); text && text.value()) {
            if (auto decoded = decodeSavedState(*text.value())) {
                state = std::move(decoded).value();
            }
        }
        (void)recover(state, std::chrono::system_clock::now());
        m_previous = snapshotOf(state);
    }
    return *m_journal;
}

Result<bool> DataFolderStorage::recordChange(const SavedStateSnapshot& snapshot) {
    if (auto here = stillInPlace(); !here) {
        return Error{here.error()};
    }
    StateJournal& changes = journal();
    const StateDifference difference = encodeStateDifference(m_previous, snapshot);
    if (difference.text.empty()) {
        return false;
    }
    // Until a change is in the journal the state before it stays the base of the next one.
    if (auto appended = changes.append(difference.text); !appended) {
        return Error{appended.error()};
    }
    m_previous = snapshot;
    return difference.changesSteps;
}

Result<void> DataFolderStorage::syncJournal() {
    return m_journal ? m_journal->sync() : Result<void>{};
}

std::int64_t DataFolderStorage::lastChange() const {
    return m_journal ? m_journal->lastSerial() : 0;
}

std::uint64_t DataFolderStorage::journalBytesSinceCompaction() const {
    return m_journal ? m_journal->bytesSinceCheckpoint() : 0;
}

Result<void> DataFolderStorage::compactTo(const SavedStateSnapshot& snapshot, std::int64_t upTo) {
    if (auto here = stillInPlace(); !here) {
        return here;
    }
    std::deque<std::string> scratch;
    const std::vector<std::string_view> pieces = savedStatePieces(snapshot, scratch);
    const StateFingerprint fingerprint = StateFingerprint::of(pieces);
    ReplacementSteps steps;
    // Named in the journal before it is in place: a crash between the two still finds the
    // changes that came after the snapshot.
    steps.beforeRename = [&](const std::filesystem::path&) {
        return m_journal ? m_journal->checkpoint(upTo, fingerprint) : Result<void>{};
    };
    const std::filesystem::path file = path(File::state);
    if (auto written = writeFileAtomically(file, pieces, steps); !written) {
        return Error{file.string() + ": " + written.error()};
    }
    m_stateBytes = fingerprint.bytes;
    m_compactedUpTo = upTo;
    if (auto restarted = retryJournalRestart(); !restarted) {
        return Error{restarted.error()};
    }
    return {};
}

Result<bool> DataFolderStorage::retryJournalRestart() {
    return m_journal ? m_journal->restart() : Result<bool>(true);
}

void DataFolderStorage::writeState(SavedStateSnapshot snapshot) {
    auto recorded = recordChange(snapshot);
    if (!recorded) {
        noteResult(Error{recorded.error()});
        return;
    }
    Result<void> saved = syncJournal();
    if (saved && compaction::dueForSize(journalBytesSinceCompaction())) {
        saved = compactTo(m_previous, lastChange());
    }
    noteResult(saved);
}

void DataFolderStorage::compact() {
    if (m_journal && (lastChange() > m_compactedUpTo || m_journal->restartDue())) {
        // Holds only what the journal has: a change that failed to go in is still not saved.
        if (auto written = compactTo(m_previous, lastChange()); !written) {
            noteResult(written);
        }
    }
}

void DataFolderStorage::noteResult(const Result<void>& result) {
    if (!result) {
        m_failures.push_back(Error{result.error()});
        m_failing = true;
        m_recovered = false;
    } else if (std::exchange(m_failing, false)) {
        m_recovered = true;
    }
}

Result<void> DataFolderStorage::writeFile(File file, std::string_view text) {
    if (auto here = stillInPlace(); !here) {
        return here;
    }
    return writeFileAtomically(path(file), text);
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
