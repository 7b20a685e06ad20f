#pragma once

// The JSON shapes of the saved values, for the codecs in this layer and their tests. Kept out of
// the layer's public headers so that callers never see the JSON library.

#include "model/FeedItem.h"
#include "model/Session.h"
#include "model/UndoEntry.h"

#include <nlohmann/json.hpp>

namespace kelvarn {

// Members are written in a fixed order, compact, with upper-case UUIDs.
nlohmann::ordered_json toJson(const SectionGrade& grade);
nlohmann::ordered_json toJson(const StudentRecord& record);
nlohmann::ordered_json toJson(const Focus& focus);
nlohmann::ordered_json toJson(const Session& session);
nlohmann::ordered_json toJson(const UndoEntry& entry);
nlohmann::ordered_json toJson(const FeedItem& item);
// An undo entry without its session: what a step is, apart from the class it restores.
nlohmann::ordered_json undoStepToJson(const UndoEntry& entry);

// Strict readers: a missing required member, a wrong type, an unknown section or level name
// or a malformed UUID throws JsonDecodeError (nlohmann's own exceptions may escape too).
SectionGrade sectionGradeFromJson(const nlohmann::json& value);
StudentRecord studentRecordFromJson(const nlohmann::json& value);
Focus focusFromJson(const nlohmann::json& value);
Session sessionFromJson(const nlohmann::json& value);
UndoEntry undoEntryFromJson(const nlohmann::json& value);
FeedItem feedItemFromJson(const nlohmann::json& value);
// An entry whose session is left empty, for the caller to supply.
UndoEntry undoStepFromJson(const nlohmann::json& value);

} // namespace kelvarn
