#include "engine/FeedItem.h"

#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

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

nlohmann::ordered_json toJson(const FeedItem& item) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = item.id.toString();
    out["date"] = secondsSinceReferenceDate(item.date);
    out["kind"] = std::string(kindName(item.kind));
    out["text"] = item.text;
    return out;
}

FeedItem feedItemFromJson(const nlohmann::json& value) {
    FeedItem item;
    item.id = json::uuid(json::member(value, "id"), "id");
    item.date = json::date(json::member(value, "date"), "date");
    const std::string kind = json::string(json::member(value, "kind"), "kind");
    const auto parsedKind = kindFromName(kind);
    if (!parsedKind) {
        throw JsonDecodeError("unknown feed kind \"" + kind + "\"");
    }
    item.kind = *parsedKind;
    item.text = json::string(json::member(value, "text"), "text");
    return item;
}

} // namespace kelvarn
