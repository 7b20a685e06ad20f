#include "persistence/JournalFrames.h"

#include <xxhash.h>

#include <algorithm>
#include <cstdint>

namespace kelvarn {

namespace {

std::uint64_t checksum(std::string_view payload) {
    return XXH3_64bits_withSeed(payload.data(), payload.size(), payload.size());
}

void appendLittleEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint64_t readLittleEndian(std::string_view in, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    }
    return value;
}

bool allZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

} // namespace

std::string journalFrame(std::string_view payload) {
    std::string frame;
    frame.reserve(journalFrameHeaderBytes + payload.size());
    appendLittleEndian(frame, payload.size(), 4);
    appendLittleEndian(frame, checksum(payload), 8);
    frame.append(payload);
    return frame;
}

JournalFrames readJournalFrames(std::string_view file) {
    JournalFrames frames;
    if (!file.starts_with(journalFirstLine)) {
        const bool started = journalFirstLine.starts_with(file);
        frames.end = started ? JournalFrames::End::tornTail : JournalFrames::End::damaged;
        return frames;
    }
    std::size_t at = journalFirstLine.size();
    frames.validBytes = at;
    while (at < file.size()) {
        const std::string_view rest = file.substr(at);
        if (rest.size() < journalFrameHeaderBytes) {
            frames.end = JournalFrames::End::tornTail;
            return frames;
        }
        const std::uint64_t length = readLittleEndian(rest, 4);
        const bool fits = length <= maxJournalPayloadBytes;
        if (fits && journalFrameHeaderBytes + length > rest.size()) {
            frames.end = JournalFrames::End::tornTail;
            return frames;
        }
        const std::string_view payload =
            fits ? rest.substr(journalFrameHeaderBytes, length) : std::string_view();
        if (!fits || readLittleEndian(rest.substr(4), 8) != checksum(payload)) {
            // A power cut can leave the end of a file as zeros the data never reached.
            frames.end = allZero(rest) ? JournalFrames::End::tornTail : JournalFrames::End::damaged;
            return frames;
        }
        frames.payloads.push_back(payload);
        at += journalFrameHeaderBytes + length;
        frames.validBytes = at;
    }
    return frames;
}

} // namespace kelvarn
