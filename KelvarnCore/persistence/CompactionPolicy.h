#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kelvarn::compaction {

// When session.json is rewritten from its journal. A rewrite costs the whole file, so after a
// pause it waits until the undo steps since the last one have paid for it, which keeps the bytes
// written per change near a change's own size however large the class; a journal that has grown
// large is folded in at once, so that loading it stays quick.
inline constexpr std::uint64_t journalBytesLimit = 4 * 1024 * 1024;
inline constexpr std::uint64_t allowancePerStep = 40 * 1024;
inline constexpr std::chrono::milliseconds idleTime{2000};
// Appends reach the disk at most this long after they were written, and no more often while
// typing goes on.
inline constexpr std::chrono::milliseconds syncSpacing{50};

inline bool dueForSize(std::uint64_t journalBytes) {
    return journalBytes >= journalBytesLimit;
}

inline bool dueWhenIdle(std::size_t steps, std::uint64_t stateFileBytes) {
    return steps > 0 && steps * allowancePerStep >= stateFileBytes;
}

} // namespace kelvarn::compaction
