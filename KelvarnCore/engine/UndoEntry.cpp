#include "engine/UndoEntry.h"

#include "model/SessionJson.h"
#include "support/JsonDecoding.h"

namespace kelvarn {

nlohmann::ordered_json toJson(const UndoEntry& entry) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["session"] = toJson(entry.session);
    out["label"] = entry.label;
    if (entry.coalesceKey) {
        out["coalesceKey"] = *entry.coalesceKey;
    }
    out["date"] = secondsSinceReferenceDate(entry.date);
    if (entry.serial) {
        out["serial"] = *entry.serial;
    }
    if (entry.isNote) {
        out["isNote"] = *entry.isNote;
    }
    return out;
}

UndoEntry undoEntryFromJson(const nlohmann::json& value) {
    UndoEntry entry;
    entry.session = sessionFromJson(json::member(value, "session"));
    entry.label = json::string(json::member(value, "label"), "label");
    if (const auto* key = json::optionalMember(value, "coalesceKey")) {
        entry.coalesceKey = json::string(*key, "coalesceKey");
    }
    entry.date = json::date(json::member(value, "date"), "date");
    if (const auto* serial = json::optionalMember(value, "serial")) {
        entry.serial = json::integer(*serial, "serial");
    }
    if (const auto* isNote = json::optionalMember(value, "isNote")) {
        if (json::boolean(*isNote, "isNote")) {
            entry.isNote = true;
        }
    }
    return entry;
}

} // namespace kelvarn
