#include "persistence/JsonCodecs.h"

#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

#include <cstdint>

namespace kelvarn {

namespace {

// Serials count undo steps from 1; the store numbers new ones after the highest it reads. 2^53
// is beyond any real history, keeps that counting far from overflowing, and is the largest
// whole number every JSON reader holds exactly.
constexpr std::int64_t largestSerial = std::int64_t{1} << 53;

} // namespace

nlohmann::ordered_json toJson(const UndoEntry& entry) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["session"] = toJson(entry.session);
    nlohmann::ordered_json step = undoStepToJson(entry);
    for (auto& [name, value] : step.items()) {
        out[name] = std::move(value);
    }
    return out;
}

nlohmann::ordered_json undoStepToJson(const UndoEntry& entry) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["label"] = entry.label;
    if (entry.coalesceKey) {
        out["coalesceKey"] = *entry.coalesceKey;
    }
    out["date"] = secondsSinceReferenceDate(entry.date);
    if (entry.serial) {
        out["serial"] = *entry.serial;
    }
    if (entry.isNote()) {
        out["isNote"] = true;
    }
    return out;
}

UndoEntry undoEntryFromJson(const nlohmann::json& value) {
    UndoEntry entry = undoStepFromJson(value);
    entry.session = sessionFromJson(json::member(value, "session"));
    return entry;
}

UndoEntry undoStepFromJson(const nlohmann::json& value) {
    UndoEntry entry;
    entry.label = json::string(json::member(value, "label"), "label");
    if (const auto* key = json::optionalMember(value, "coalesceKey")) {
        entry.coalesceKey = json::string(*key, "coalesceKey");
    }
    entry.date = json::date(json::member(value, "date"), "date");
    if (const auto* serial = json::optionalMember(value, "serial")) {
        entry.serial = json::integer(*serial, "serial");
        if (*entry.serial < 0 || *entry.serial > largestSerial) {
            throw JsonDecodeError("\"serial\" is out of range");
        }
    }
    if (const auto* isNote = json::optionalMember(value, "isNote")) {
        // The file keeps one flag for notes and corrections of notes; the label tells them apart.
        if (json::boolean(*isNote, "isNote")) {
            entry.kind = entry.label.starts_with(correctedNoteLabelPrefix)
                             ? UndoEntry::Kind::correction
                             : UndoEntry::Kind::note;
        }
    }
    return entry;
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
