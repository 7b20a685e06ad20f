#include "persistence/JournalRecord.h"

#include "support/Overloaded.h"

#include <charconv>

namespace kelvarn {

namespace {

constexpr std::string_view startWord = "start ";
constexpr std::string_view checkpointWord = "compacted ";
constexpr std::string_view changeWord = "change ";

std::optional<std::int64_t> parseSerial(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string journalPayload(const JournalRecord& record) {
    return std::visit(Overloaded{
                          [](const JournalStart& start) {
                              return std::string(startWord) + textualForm(start.base) + "\n";
                          },
                          [](const JournalCheckpoint& checkpoint) {
                              return std::string(checkpointWord) + std::to_string(checkpoint.upTo) +
                                     " " + textualForm(checkpoint.base) + "\n";
                          },
                          [](const JournalChange& change) {
                              return std::string(changeWord) + std::to_string(change.serial) +
                                     "\n" + std::string(change.difference);
                          },
                      },
                      record);
}

std::optional<JournalRecord> parseJournalRecord(std::string_view payload) {
    const std::size_t lineEnd = payload.find('\n');
    if (lineEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view line = payload.substr(0, lineEnd);
    const std::string_view rest = payload.substr(lineEnd + 1);
    if (line.starts_with(startWord) && rest.empty()) {
        if (const auto base = parseFingerprint(line.substr(startWord.size()))) {
            return JournalStart{*base};
        }
    } else if (line.starts_with(checkpointWord) && rest.empty()) {
        const std::string_view fields = line.substr(checkpointWord.size());
        const std::size_t space = fields.find(' ');
        if (space != std::string_view::npos) {
            const auto upTo = parseSerial(fields.substr(0, space));
            const auto base = parseFingerprint(fields.substr(space + 1));
            if (upTo && base) {
                return JournalCheckpoint{*upTo, *base};
            }
        }
    } else if (line.starts_with(changeWord)) {
        if (const auto serial = parseSerial(line.substr(changeWord.size()))) {
            return JournalChange{*serial, rest};
        }
    }
    return std::nullopt;
}

} // namespace kelvarn
