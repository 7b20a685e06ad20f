#pragma once

#include "model/FeedItem.h"
#include "support/Time.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// actions.log: one entry per line, "2026-03-05T14:07:09Z<TAB>kind<TAB>text", appended as the
// feed grows and never rewritten. It is the feed's history across launches.
struct LoggedEntry {
    TimePoint date;
    FeedItem::Kind kind = FeedItem::Kind::action;
    std::string text;
};

// The entry's line, newline included; a text of several lines or with control characters is
// made one line, so that it cannot forge entries of its own.
std::string activityLogLine(TimePoint date, FeedItem::Kind kind, std::string_view text);

// The newest entries, at most count, oldest first, of a log's text or of its last part (then
// its first line may be cut short and is skipped). Lines that are not entries are skipped.
std::vector<LoggedEntry> newestLogEntries(std::string_view text, std::size_t count,
                                          bool startsMidLine);

} // namespace kelvarn
