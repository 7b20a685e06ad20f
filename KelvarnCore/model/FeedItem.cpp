#include "model/FeedItem.h"

#include <array>

namespace kelvarn {

namespace {

constexpr std::array<std::string_view, 5> kindNames{"heard", "action", "note", "question",
                                                    "warning"};

} // namespace

std::string_view kindName(FeedItem::Kind kind) {
    return kindNames[static_cast<std::size_t>(kind)];
}

std::optional<FeedItem::Kind> kindFromName(std::string_view name) {
    for (std::size_t i = 0; i < kindNames.size(); ++i) {
        if (kindNames[i] == name) {
            return static_cast<FeedItem::Kind>(i);
        }
    }
    return std::nullopt;
}

} // namespace kelvarn
