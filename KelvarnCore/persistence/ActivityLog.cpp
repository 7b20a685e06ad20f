#include "persistence/ActivityLog.h"

#include "support/ControlCharacters.h"

#include <algorithm>
#include <deque>

namespace kelvarn {

namespace {

std::optional<LoggedEntry> parseEntry(std::string_view line) {
    const auto firstTab = line.find('\t');
    if (firstTab == std::string_view::npos) {
        return std::nullopt;
    }
    const auto secondTab = line.find('\t', firstTab + 1);
    if (secondTab == std::string_view::npos) {
        return std::nullopt;
    }
    const auto date = fromIso8601(line.substr(0, firstTab));
    const auto kind = kindFromName(line.substr(firstTab + 1, secondTab - firstTab - 1));
    if (!date || !kind) {
        return std::nullopt;
    }
    return LoggedEntry{*date, *kind, std::string(line.substr(secondTab + 1))};
}

} // namespace

std::string activityLogLine(TimePoint date, FeedItem::Kind kind, std::string_view text) {
    return iso8601(date) + "\t" + std::string(kindName(kind)) + "\t" + oneLine(text) + "\n";
}

std::vector<LoggedEntry> newestLogEntries(std::string_view text, std::size_t count,
                                          bool startsMidLine) {
    if (startsMidLine) {
        const auto newline = text.find('\n');
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    }
    std::deque<LoggedEntry> newest;
    while (!text.empty() && count > 0) {
        const auto newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        if (auto entry = parseEntry(line)) {
            newest.push_back(std::move(*entry));
            if (newest.size() > count) {
                newest.pop_front();
            }
        }
    }
    return {std::make_move_iterator(newest.begin()), std::make_move_iterator(newest.end())};
}

} // namespace kelvarn
