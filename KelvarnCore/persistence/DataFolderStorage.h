#pragma once

#include "persistence/FolderWitness.h"
#include "persistence/StoreStorage.h"

#include <filesystem>
#include <memory>

namespace kelvarn {

// A store's files in its data folder, written synchronously on the calling thread:
// session.json, corrections.json and actions.log. Creates the folder. Owned by one thread.
class DataFolderStorage final : public StoreStorage {
public:
    explicit DataFolderStorage(std::filesystem::path folder);

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path path(File file) const;
    std::filesystem::path logPath() const { return m_folder / "actions.log"; }

    Result<std::optional<std::string>> read(File file) override;
    Result<std::string> setAside(File file, TimePoint now) override;
    void writeState(SavedStateSnapshot snapshot) override;
    Result<void> writeRules(std::string_view text) override;
    void appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) override;
    std::vector<LoggedEntry> recentLog(std::size_t count) override;
    void flush() override {}
    std::vector<Error> takeWriteFailures() override;
    bool takeRecovery() override;

    // Writes one state now; what the background writer calls from its thread.
    static Result<void> writeStateFile(const std::filesystem::path& path,
                                       const SavedStateSnapshot& snapshot);
    // Whether the folder is still the one this storage started on. One that was moved, removed
    // or replaced (a backup put back, another program's new folder) is not written to: that
    // would overwrite what is there now with this run's older view. Safe from any thread.
    Result<void> stillInPlace() const;

private:
    std::filesystem::path m_folder;
    std::unique_ptr<FolderWitness> m_witness;
    std::vector<Error> m_failures;
    bool m_failing = false;
    bool m_recovered = false;
};

} // namespace kelvarn
