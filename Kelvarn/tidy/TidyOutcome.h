#pragma once

#include "tidy/TidyExchange.h"

#include "support/Result.h"

#include <chrono>
#include <string>
#include <string_view>
#include <variant>

namespace kelvarn::tidy {

// A tidy that ended on purpose before the tool answered: the notes stay as they were, and the
// message, for the activity feed, says why.
struct TidyStopped {
    std::string message;
    bool operator==(const TidyStopped&) const = default;
};

// How a tidy ended: notes to put in place, a failure to show, or a stop.
using TidyOutcome = std::variant<TidiedNotes, Error, TidyStopped>;

// The stops' messages, naming the student whose notes were being tidied.
std::string cancelledMessage(std::string_view name);
std::string timedOutMessage(std::string_view name, std::chrono::milliseconds limit);

} // namespace kelvarn::tidy
