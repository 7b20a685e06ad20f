#include "persistence/ReadOnlyFolderStorage.h"

#include "persistence/DataFolder.h"

namespace kelvarn {

ReadOnlyFolderStorage::ReadOnlyFolderStorage(std::filesystem::path folder)
    : m_files(std::move(folder)) {}

Error ReadOnlyFolderStorage::inUse() const {
    return Error{DataFolderLock::inUseMessage(m_files.folder())};
}

Result<std::string> ReadOnlyFolderStorage::setAside(File, TimePoint) {
    return inUse();
}

void ReadOnlyFolderStorage::writeState(SavedStateSnapshot) {
    m_failures.push_back(inUse());
}

Result<void> ReadOnlyFolderStorage::writeFile(File, std::string_view) {
    return inUse();
}

std::vector<Error> ReadOnlyFolderStorage::takeWriteFailures() {
    return std::exchange(m_failures, {});
}

} // namespace kelvarn
