#pragma once

#include "persistence/DataFolderStorage.h"
#include "persistence/StoreStorage.h"

#include <filesystem>
#include <string>

namespace kelvarn {

// A data folder that another process owns, for reading: its files as that process last saved
// them. Nothing in it is written, moved aside or appended to; a state handed over to be saved
// fails, and so does everything else that would write. Owned by one thread.
class ReadOnlyFolderStorage final : public StoreStorage {
public:
    explicit ReadOnlyFolderStorage(std::filesystem::path folder);

    Result<std::optional<std::string>> read(File file) override { return m_files.read(file); }
    Result<std::string> setAside(File file, TimePoint now) override;
    // The owner's journal applied as far as it reads, so the state is its newest on disk; what
    // was recovered is the owner's to say.
    JournalRecovery recover(SavedState& state, TimePoint) override {
        m_files.replayOnly(state);
        return {};
    }
    void writeState(SavedStateSnapshot snapshot) override;
    Result<void> writeFile(File file, std::string_view text) override;
    // The log is the owner's to keep.
    void appendLog(TimePoint, FeedItem::Kind, std::string_view) override {}
    void flush() override {}
    std::vector<Error> takeWriteFailures() override;
    // Every write fails here, so none ever succeeds again.
    bool takeRecovery() override { return false; }

private:
    Error inUse() const;

    DataFolderStorage m_files;
    std::vector<Error> m_failures;
};

} // namespace kelvarn
