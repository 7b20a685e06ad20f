#pragma once

#include "persistence/FolderWitness.h"
#include "persistence/StateFingerprint.h"
#include "persistence/StateJournal.h"
#include "persistence/StoreStorage.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace kelvarn {

// A store's files in its data folder: session.json, corrections.json, comments.json and
// actions.log, and
// session.journal, which records each change as the difference it makes, so that saving costs
// what the change costs. session.json is rewritten whole only now and then ("compacted"), and
// alone always holds a valid state no older than its last rewrite.
//
// Used as it is, everything happens on the calling thread: each change is appended and on the
// disk before writeState returns, and session.json is rewritten when the journal grows large,
// at compact, and on destruction. BackgroundStateWriter uses the parts below to do the waiting
// for the disk elsewhere. Creates the folder. Owned by one thread.
class DataFolderStorage final : public StoreStorage {
public:
    explicit DataFolderStorage(std::filesystem::path folder);
    ~DataFolderStorage() override;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path path(File file) const;
    std::filesystem::path logPath() const { return m_folder / "actions.log"; }
    std::filesystem::path journalPath() const { return m_folder / "session.journal"; }

    Result<std::optional<std::string>> read(File file) override;
    Result<std::string> setAside(File file, TimePoint now) override;
    JournalRecovery recover(SavedState& state, TimePoint now) override;
    void startFrom(const SavedStateSnapshot& state) override { m_previous = state; }
    void writeState(SavedStateSnapshot snapshot) override;
    Result<void> writeFile(File file, std::string_view text) override;
    void appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) override;
    std::vector<LoggedEntry> recentLog(std::size_t count) override;
    void flush() override {}
    void compact() override;
    std::vector<Error> takeWriteFailures() override;
    bool takeRecovery() override;

    // The journal's changes applied to state without writing anything, for a reader of a folder
    // another process owns; after read.
    void replayOnly(SavedState& state) const;

    // The parts of saving, for a writer that waits for the disk on a thread of its own.
    // On the owner thread: appends the change from the state before to snapshot (without waiting
    // for the disk); whether it added or removed an undo step.
    Result<bool> recordChange(const SavedStateSnapshot& snapshot);
    // From one other thread (or the owner's):
    Result<void> syncJournal();
    // Rewrites session.json from snapshot, which holds every change up to upTo, and begins the
    // journal anew from it.
    Result<void> compactTo(const SavedStateSnapshot& snapshot, std::int64_t upTo);
    // A new journal that a change kept from beginning at the last rewrite; false if one came again.
    Result<bool> retryJournalRestart();
    bool journalRestartDue() const { return m_journal && m_journal->restartDue(); }
    std::int64_t lastChange() const;
    // The newest change session.json holds.
    std::int64_t compactedUpTo() const { return m_compactedUpTo.load(); }
    std::uint64_t journalBytesSinceCompaction() const;
    // session.json's size as last read or written.
    std::uint64_t stateFileBytes() const { return m_stateBytes.load(); }

    // Whether the folder is still the one this storage started on. One that was moved, removed
    // or replaced (a backup put back, another program's new folder) is not written to: that
    // would overwrite what is there now with this run's older view. Safe from any thread.
    Result<void> stillInPlace() const;

private:
    void noteResult(const Result<void>& result);
    StateJournal& journal();

    std::filesystem::path m_folder;
    std::unique_ptr<FolderWitness> m_witness;
    // Which session.json was read, so that the journal is matched to it.
    std::optional<StateFingerprint> m_readBase;
    std::unique_ptr<StateJournal> m_journal;
    SavedStateSnapshot m_previous; // what the journal and session.json hold together
    // What a rewrite on another thread leaves for the owner to read.
    std::atomic<std::int64_t> m_compactedUpTo{0};
    std::atomic<std::uint64_t> m_stateBytes{0};
    std::vector<Error> m_failures;
    bool m_failing = false;
    bool m_recovered = false;
};

} // namespace kelvarn
