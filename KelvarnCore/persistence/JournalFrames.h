#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// session.journal is a first line that names the format, then frames, each a payload behind its
// length (4 bytes, little-endian) and a checksum of both (XXH3-64 of the payload seeded with the
// length, 8 bytes, little-endian), so that a torn or damaged frame is told from a whole one.
inline constexpr std::string_view journalFirstLine = "Kelvarn session journal 1\n";
inline constexpr std::size_t journalFrameHeaderBytes = 12;
// Far above any real change (a whole class is well below it); a larger length is damage.
inline constexpr std::size_t maxJournalPayloadBytes = 64 * 1024 * 1024;

std::string journalFrame(std::string_view payload);

struct JournalFrames {
    enum class End {
        complete,
        // The last frame stops short or ends in zeros: what a crash or a power cut leaves.
        tornTail,
        // Something that is no frame, with more after it.
        damaged,
    };

    // The payloads of the whole frames before the end, in order; they point into the file.
    std::vector<std::string_view> payloads;
    End end = End::complete;
    // The first line and the whole frames: where appending may go on once the rest is dropped.
    std::size_t validBytes = 0;
};

// Never fails: a file that does not begin with the first line has no frames and is damaged
// (or torn, when it is the start of that line, as a crash while creating it leaves).
JournalFrames readJournalFrames(std::string_view file);

} // namespace kelvarn
