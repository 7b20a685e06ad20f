#pragma once

#include "persistence/StateFingerprint.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kelvarn {

// What a journal's frames say. The first names the session.json the journal continues; each
// change after it is numbered, one more than the one before.
struct JournalStart {
    std::optional<StateFingerprint> base;
};
// Written before a rewritten session.json replaces the old one: that file, once in place, holds
// every change up to upTo, so only the later ones still apply to it.
struct JournalCheckpoint {
    std::int64_t upTo = 0;
    std::optional<StateFingerprint> base;
};
struct JournalChange {
    std::int64_t serial = 0;
    std::string_view difference; // as encodeStateDifference makes it
};
using JournalRecord = std::variant<JournalStart, JournalCheckpoint, JournalChange>;

// A first line of words and numbers, then, for a change, the difference.
std::string journalPayload(const JournalRecord& record);
// Nothing for a payload that is none of these; a change's difference points into the payload.
std::optional<JournalRecord> parseJournalRecord(std::string_view payload);

} // namespace kelvarn
