#pragma once

#include "support/Time.h"
#include "support/Uuid.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

// One line of the activity feed.
struct FeedItem {
    enum class Kind { heard, action, note, question, warning };

    Uuid id;
    TimePoint date;
    Kind kind = Kind::action;
    std::string text;
    // Read back from the log at launch: shown, but not logged again nor new to this run.
    bool fromEarlierLaunch = false;

    friend bool operator==(const FeedItem&, const FeedItem&) = default;
};

// "heard", "action", "note", "question", "warning": the activity log's kind names.
std::string_view kindName(FeedItem::Kind kind);
std::optional<FeedItem::Kind> kindFromName(std::string_view name);

} // namespace kelvarn
