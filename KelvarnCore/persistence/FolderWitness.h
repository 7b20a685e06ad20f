#pragma once

#include <filesystem>

namespace kelvarn {

// Holds a folder open so that it can later be told whether a path still names that very folder.
// The open folder cannot be freed while it is held, so a folder removed and made again (which
// may get the same inode number) is never mistaken for it. Safe to ask from any thread.
class FolderWitness final {
public:
    // Witnesses nothing when the folder cannot be opened (then every path counts as it).
    explicit FolderWitness(const std::filesystem::path& folder);
    ~FolderWitness();
    FolderWitness(const FolderWitness&) = delete;
    FolderWitness& operator=(const FolderWitness&) = delete;

    // False once the path names another folder, something else or nothing.
    bool stillAt(const std::filesystem::path& path) const;

private:
    int m_fd = -1;
};

} // namespace kelvarn
