#include "persistence/ActivityLog.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

std::vector<std::string> texts(const std::vector<LoggedEntry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries) {
        result.push_back(entry.text);
    }
    return result;
}

TEST(ActivityLogTest, ALineReadsBackAsTheEntryItWasWrittenFrom) {
    const TimePoint date = fromSecondsSinceReferenceDate(818407386);
    const std::string line = activityLogLine(date, FeedItem::Kind::note, "Two\nlines\tand a tab");
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const auto entries = newestLogEntries(line, 10, false);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].date, date);
    EXPECT_EQ(entries[0].kind, FeedItem::Kind::note);
    EXPECT_EQ(entries[0].text, "Two lines and a tab");

    EXPECT_EQ(fromIso8601(iso8601(date)), date);
    for (const char* bad :
         {"", "2026-03-05T14:07:09", "2026-13-05T14:07:09Z", "2026-02-30T14:07:09Z",
          "2026-03-05T24:00:00Z", "2026-03-05 14:07:09Z", "+026-03-05T14:07:09Z"}) {
        EXPECT_EQ(fromIso8601(bad), std::nullopt) << bad;
    }
}

TEST(ActivityLogTest, TheNewestEntriesComeOldestFirstAndWhatIsNoEntryIsSkipped) {
    const TimePoint date = fromSecondsSinceReferenceDate(818407386);
    std::string log;
    for (const char* text : {"one", "two", "three", "four"}) {
        log += activityLogLine(date, FeedItem::Kind::action, text);
        log += "not an entry\n2026-03-05T14:07:09Z\tshouting\tunknown kind\n\n";
    }
    EXPECT_EQ(texts(newestLogEntries(log, 2, false)), (std::vector<std::string>{"three", "four"}));
    EXPECT_EQ(texts(newestLogEntries(log, 10, false)).size(), 4u);
    EXPECT_TRUE(newestLogEntries(log, 0, false).empty());

    // A log read from its middle: the first line is a cut one, even when it looks whole.
    const std::string tail = activityLogLine(date, FeedItem::Kind::action, "cut") +
                             activityLogLine(date, FeedItem::Kind::warning, "whole");
    EXPECT_EQ(texts(newestLogEntries(tail, 10, true)), (std::vector<std::string>{"whole"}));
    EXPECT_TRUE(newestLogEntries("no newline at all", 10, true).empty());
    // The line being written when the log was read has no newline yet but is whole so far.
    EXPECT_EQ(texts(newestLogEntries(tail.substr(0, tail.size() - 1), 10, false)).back(), "whole");
}

} // namespace
} // namespace kelvarn
