#pragma once

#include "support/Result.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvarn {

// Files in the data folder hold grades, so every file these create is readable by the user alone
// (mode 0600). Failures carry the system's description of the error.

inline constexpr std::size_t mebibyte = 1024 * 1024;
// Caps on what is read into memory. Real files stay far below them; a damaged file, or a link to
// something endless such as a 2 GB sparse file, is refused instead of exhausting memory.
inline constexpr std::size_t maxSessionFileBytes = 512 * mebibyte;
inline constexpr std::size_t maxCorrectionsFileBytes = 16 * mebibyte;
inline constexpr std::size_t maxRosterFileBytes = 16 * mebibyte;

// The content of a regular file, following symbolic links; nothing when the file does not exist.
// Every other failure is an error naming the reason: no permission, a folder, a named pipe or
// device (refused without being read, so a pipe never blocks), a file above maxBytes, a read
// error.
Result<std::optional<std::string>> readFileIfPresent(const std::filesystem::path& path,
                                                     std::size_t maxBytes);

// The same, with a missing file as an error too; by default capped as the largest state file.
Result<std::string> readWholeFile(const std::filesystem::path& path,
                                  std::size_t maxBytes = maxSessionFileBytes);

// Replaces the file as a whole: a complete, flushed temporary file beside it is renamed over it,
// so a crash leaves either the old or the new content, never half a file. Nothing on success.
Result<void> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same for a file given as consecutive pieces.
Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces);

// What an atomic replacement does around its rename, for a caller that must order its other
// writes with it.
struct ReplacementSteps {
    // Once the temporary file is complete and on disk; an error leaves the old file as it was.
    std::function<Result<void>(const std::filesystem::path& temporary)> beforeRename;
    // Right after the rename, before the folder is synced; only when the rename succeeded.
    std::function<void()> afterRename;
};
Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces,
                                 const ReplacementSteps& steps);

// Replaces a file the user named, such as an export, atomically as above. A symbolic link is
// written through: its target is replaced and the link stays. Anything but a regular file at the
// target (a folder, device, pipe or socket) is refused and left alone. A replaced file keeps its
// permissions; a new one is private like every other file Kelvarn writes, since it holds grades
// and notes about named students: whoever shares it widens it once, and replacing keeps that.
Result<void> writeUserFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// At most the last maxBytes of a regular file, never through a symbolic link; nothing when the
// file does not exist. For a log that only grows, of which only the newest part is wanted.
Result<std::optional<std::string>> readFileTail(const std::filesystem::path& path,
                                                std::size_t maxBytes);

// The content of a regular file, never through a symbolic link; nothing when it does not exist.
// A file above maxBytes is an error, as are links and anything but a regular file.
Result<std::optional<std::string>> readFileNotFollowingLinks(const std::filesystem::path& path,
                                                             std::size_t maxBytes);

// Appends to the end of the file, creating it when missing. A symbolic link is not followed and
// anything but a regular file is refused, without blocking on a pipe. Nothing on success.
Result<void> appendToFile(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary files that atomic writes interrupted by a crash left in the folder
// (".session.json.<uuid>.tmp"); returns how many. Call it only while holding the folder's lock:
// another process's write in progress looks the same. Best effort: what cannot be removed stays.
std::size_t removeLeftoverTemporaryFiles(const std::filesystem::path& folder);

} // namespace kelvarn
