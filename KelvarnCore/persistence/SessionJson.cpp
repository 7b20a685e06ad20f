#include "persistence/SessionJson.h"

#include "persistence/JsonCodecs.h"
#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

#include <unordered_set>

namespace kelvarn {

using nlohmann::ordered_json;

ordered_json toJson(const SectionGrade& grade) {
    ordered_json out = ordered_json::object();
    if (grade.level) {
        out["level"] = std::string(levels::rawValue(*grade.level));
    }
    out["notes"] = grade.notes;
    return out;
}

ordered_json toJson(const StudentRecord& record) {
    ordered_json out = ordered_json::object();
    out["id"] = record.id.toString();
    out["name"] = record.name;
    // Written only when known, so that files without it keep their exact shape.
    if (record.surname) {
        out["surname"] = *record.surname;
    }
    ordered_json sectionsJson = ordered_json::object();
    for (const auto& [section, grade] : record.sections) {
        sectionsJson[std::string(sections::rawValue(section))] = toJson(grade);
    }
    out["sections"] = std::move(sectionsJson);
    out["overallNotes"] = record.overallNotes;
    // Only for students from a grade book. Readers that know nothing of it pass it by, as they
    // pass by every member they do not read.
    if (!record.identifiers.empty()) {
        ordered_json identifiers = ordered_json::array();
        for (const StudentIdentifier& identifier : record.identifiers) {
            identifiers.push_back({{"column", identifier.column}, {"value", identifier.value}});
        }
        out["identifiers"] = std::move(identifiers);
    }
    return out;
}

ordered_json toJson(const Focus& focus) {
    ordered_json out = ordered_json::object();
    if (focus.studentID) {
        out["studentID"] = focus.studentID->toString();
    }
    if (focus.section) {
        out["section"] = std::string(sections::rawValue(*focus.section));
    }
    return out;
}

ordered_json toJson(const Session& session) {
    ordered_json students = ordered_json::array();
    for (const auto& record : session.students) {
        students.push_back(toJson(record));
    }
    ordered_json out = ordered_json::object();
    out["students"] = std::move(students);
    out["focus"] = toJson(session.focus);
    return out;
}

namespace {

SectionID sectionFromName(const std::string& name) {
    const auto section = sections::fromRawValue(name);
    if (!section) {
        throw JsonDecodeError("unknown section \"" + name + "\"");
    }
    return *section;
}

} // namespace

SectionGrade sectionGradeFromJson(const nlohmann::json& value) {
    SectionGrade grade;
    if (const auto* level = json::optionalMember(value, "level")) {
        const std::string name = json::string(*level, "level");
        grade.level = levels::fromRawValue(name);
        if (!grade.level) {
            throw JsonDecodeError("unknown level \"" + name + "\"");
        }
    }
    grade.notes = json::string(json::member(value, "notes"), "notes");
    return grade;
}

StudentRecord studentRecordFromJson(const nlohmann::json& value) {
    StudentRecord record(json::uuid(json::member(value, "id"), "id"),
                         json::string(json::member(value, "name"), "name"));
    if (const auto* surname = json::optionalMember(value, "surname")) {
        record.surname = json::string(*surname, "surname");
    }
    const auto& sectionsJson = json::member(value, "sections");
    if (!sectionsJson.is_object()) {
        throw JsonDecodeError("\"sections\" is not an object");
    }
    for (const auto& [name, grade] : sectionsJson.items()) {
        record.sections[sectionFromName(name)] = sectionGradeFromJson(grade);
    }
    record.overallNotes = json::string(json::member(value, "overallNotes"), "overallNotes");
    if (const auto* identifiers = json::optionalMember(value, "identifiers")) {
        if (!identifiers->is_array()) {
            throw JsonDecodeError("\"identifiers\" is not an array");
        }
        for (const auto& identifier : *identifiers) {
            record.identifiers.push_back(
                {json::string(json::member(identifier, "column"), "column"),
                 json::string(json::member(identifier, "value"), "value")});
        }
    }
    return record;
}

Focus focusFromJson(const nlohmann::json& value) {
    Focus focus;
    if (const auto* id = json::optionalMember(value, "studentID")) {
        focus.studentID = json::uuid(*id, "studentID");
    }
    if (const auto* section = json::optionalMember(value, "section")) {
        focus.section = sectionFromName(json::string(*section, "section"));
    }
    return focus;
}

Session sessionFromJson(const nlohmann::json& value) {
    const auto& studentsJson = json::member(value, "students");
    if (!studentsJson.is_array()) {
        throw JsonDecodeError("\"students\" is not an array");
    }
    Session session;
    // Students are told apart only by id; two with one id would take each other's grades.
    std::unordered_set<Uuid> ids;
    for (const auto& record : studentsJson) {
        StudentRecord student = studentRecordFromJson(record);
        if (!ids.insert(student.id).second) {
            throw JsonDecodeError("two students have the id " + student.id.toString());
        }
        session.students.push_back(std::move(student));
    }
    session.focus = focusFromJson(json::member(value, "focus"));
    return session;
}

std::string encodeSession(const Session& session) {
    return json::dump(toJson(session));
}

Result<Session> decodeSession(std::string_view text) {
    return json::decode<Session>(text, sessionFromJson);
}

} // namespace kelvarn
