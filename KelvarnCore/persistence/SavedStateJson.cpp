#include "persistence/SavedStateJson.h"

#include "persistence/JsonCodecs.h"
#include "persistence/SessionJson.h"
#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

namespace kelvarn {

EncodedUndoEntry encodeUndoEntryParts(const UndoEntry& entry) {
    // Built without reading the date: the owner thread may refresh it while another thread
    // encodes the rest.
    nlohmann::ordered_json head = nlohmann::ordered_json::object();
    head["session"] = toJson(entry.session);
    head["label"] = entry.label;
    if (entry.coalesceKey) {
        head["coalesceKey"] = *entry.coalesceKey;
    }
    std::string beforeDate = json::dump(head);
    beforeDate.pop_back(); // the closing brace; the date follows
    beforeDate += ",\"date\":";

    nlohmann::ordered_json tail = nlohmann::ordered_json::object();
    if (entry.serial) {
        tail["serial"] = *entry.serial;
    }
    // The file knows only whether a step filed a note; never stored as false.
    if (entry.isNote()) {
        tail["isNote"] = true;
    }
    std::string afterDate = json::dump(tail); // "{}" or {"serial":…}
    afterDate.erase(0, 1);
    if (afterDate != "}") {
        afterDate.insert(0, ",");
    }
    return {std::move(beforeDate), std::move(afterDate)};
}

std::string encodeDate(TimePoint date) {
    return nlohmann::ordered_json(secondsSinceReferenceDate(date)).dump();
}

void appendEncodedUndoEntry(std::string& out, const EncodedUndoEntry& parts, TimePoint date) {
    out += parts.beforeDate;
    out += encodeDate(date);
    out += parts.afterDate;
}

std::string encodeSavedState(const SavedState& state) {
    std::string out = "{\"session\":" + encodeSession(state.session) + ",\"undo\":[";
    for (std::size_t i = 0; i < state.undo.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendEncodedUndoEntry(out, encodeUndoEntryParts(state.undo[i]), state.undo[i].date);
    }
    out += "]}";
    return out;
}

Result<SavedState> decodeSavedState(std::string_view text) {
    return json::decode<SavedState>(text, [](const nlohmann::json& document) {
        SavedState state;
        state.session = sessionFromJson(json::member(document, "session"));
        const auto& undo = json::member(document, "undo");
        if (!undo.is_array()) {
            throw JsonDecodeError("\"undo\" is not an array");
        }
        state.undo.reserve(undo.size());
        for (const auto& entry : undo) {
            state.undo.push_back(undoEntryFromJson(entry));
        }
        return state;
    });
}

} // namespace kelvarn
