#pragma once

#include "model/Session.h"
#include "support/Result.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace kelvarn {

// Members are written in a fixed order, compact, with upper-case UUIDs.
nlohmann::ordered_json toJson(const SectionGrade& grade);
nlohmann::ordered_json toJson(const StudentRecord& record);
nlohmann::ordered_json toJson(const Focus& focus);
nlohmann::ordered_json toJson(const Session& session);

// Strict readers: a missing required member, a wrong type, an unknown section or level name
// or a malformed UUID throws JsonDecodeError (nlohmann's own exceptions may escape too).
SectionGrade sectionGradeFromJson(const nlohmann::json& value);
StudentRecord studentRecordFromJson(const nlohmann::json& value);
Focus focusFromJson(const nlohmann::json& value);
Session sessionFromJson(const nlohmann::json& value);

std::string encodeSession(const Session& session);
Result<Session> decodeSession(std::string_view text);

} // namespace kelvarn
