#include "persistence/JournalReplay.h"

#include "persistence/JournalFrames.h"
#include "persistence/JournalRecord.h"
#include "persistence/StateDifference.h"

#include <limits>

namespace kelvarn {

namespace {

struct Parsed {
    std::optional<JournalStart> start;
    std::vector<JournalRecord> records;     // after the start
    std::vector<std::string_view> payloads; // of the records
    bool unparsable = false;                // a whole frame held no record, or a misplaced start
};

// Where replaying begins: after which serial, or before the first change (nothing).
std::optional<std::optional<std::int64_t>>
startingPoint(const Parsed& parsed, const std::optional<StateFingerprint>& base) {
    // The newest checkpoint naming this file wins: the start may name it too, when a rewrite
    // came out the same as the file before it.
    for (auto record = parsed.records.rbegin(); record != parsed.records.rend(); ++record) {
        if (const auto* checkpoint = std::get_if<JournalCheckpoint>(&*record)) {
            if (checkpoint->base == base) {
                return std::optional<std::int64_t>(checkpoint->upTo);
            }
        }
    }
    if (parsed.start && parsed.start->base == base) {
        return std::optional<std::int64_t>();
    }
    return std::nullopt;
}

} // namespace

JournalReplay replayJournal(std::string_view journal, const std::optional<StateFingerprint>& base,
                            SavedState& state) {
    JournalReplay replay;
    const JournalFrames frames = readJournalFrames(journal);
    Parsed parsed;
    for (std::size_t i = 0; i < frames.payloads.size(); ++i) {
        auto record = parseJournalRecord(frames.payloads[i]);
        const bool isStart = record && std::holds_alternative<JournalStart>(*record);
        if (!record || isStart != (i == 0)) {
            parsed.unparsable = true;
            break;
        }
        if (isStart) {
            parsed.start = std::get<JournalStart>(*record);
        } else {
            parsed.records.push_back(*record);
            parsed.payloads.push_back(frames.payloads[i]);
        }
    }
    bool damaged = frames.end == JournalFrames::End::damaged || parsed.unparsable;
    if (damaged) {
        replay.problem =
            parsed.unparsable ? "a record that is not one Kelvarn writes" : "a damaged record";
    }

    const auto from = startingPoint(parsed, base);
    if (!from) {
        // A journal whose start cannot be read may still hold changes: it is damage, not age.
        replay.outcome = !parsed.start && damaged ? JournalReplay::Outcome::damaged
                                                  : JournalReplay::Outcome::stale;
        return replay;
    }
    std::optional<std::int64_t> previous = *from;
    // The records before any damage are whole: they apply, up to the first that does not fit.
    for (std::size_t i = 0; i < parsed.records.size(); ++i) {
        const auto* change = std::get_if<JournalChange>(&parsed.records[i]);
        if (change == nullptr || (*from && change->serial <= **from)) {
            continue; // a checkpoint, or a change the file already holds
        }
        if (previous && (*previous == std::numeric_limits<std::int64_t>::max() ||
                         change->serial != *previous + 1)) {
            damaged = true;
            replay.problem = "a change out of order";
            break;
        }
        if (auto applied = applyStateDifference(change->difference, state); !applied) {
            damaged = true;
            replay.problem =
                "a change that does not fit the grades before it (" + applied.error() + ")";
            break;
        }
        previous = change->serial;
        replay.applied.push_back({change->serial, parsed.payloads[i]});
    }
    replay.nextSerial = previous ? *previous + 1 : 1;
    if (damaged) {
        replay.outcome = JournalReplay::Outcome::damaged;
    } else if (frames.end == JournalFrames::End::tornTail) {
        replay.outcome = JournalReplay::Outcome::tornTail;
    }
    return replay;
}

} // namespace kelvarn
