#include "persistence/StateDifference.h"

#include "persistence/JsonCodecs.h"
#include "support/JsonDecodeError.h"
#include "support/JsonDecoding.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace kelvarn {

namespace {

using nlohmann::ordered_json;
using SnapshotUndo = std::vector<SavedStateSnapshot::Undo>;

bool sameRoster(const StudentList& a, const StudentList& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a.sharesRecord(b, i) && a[i].id != b[i].id) {
            return false;
        }
    }
    return true;
}

bool changed(const StudentList& a, const StudentList& b, std::size_t i) {
    return !a.sharesRecord(b, i) && !(a[i] == b[i]);
}

// The one note in which the records differ, when nothing else does: typing changes a note at a
// time, and a keystroke then writes what it typed instead of the student's every note.
struct NoteDifference {
    std::optional<SectionID> section; // none: the overall notes
    const std::string& before;
    const std::string& after;
};

std::optional<NoteDifference> noteDifference(const StudentRecord& before,
                                             const StudentRecord& after) {
    if (before.id != after.id || before.name != after.name || before.surname != after.surname ||
        before.identifiers != after.identifiers ||
        before.sections.size() != after.sections.size()) {
        return std::nullopt;
    }
    std::optional<SectionID> changedSection;
    for (auto a = before.sections.begin(), b = after.sections.begin(); a != before.sections.end();
         ++a, ++b) {
        if (a->first != b->first || a->second.level != b->second.level) {
            return std::nullopt;
        }
        if (a->second.notes != b->second.notes) {
            if (changedSection) {
                return std::nullopt;
            }
            changedSection = a->first;
        }
    }
    if (!changedSection) {
        return NoteDifference{std::nullopt, before.overallNotes, after.overallNotes};
    }
    if (before.overallNotes != after.overallNotes) {
        return std::nullopt;
    }
    return NoteDifference{changedSection, before.sections.at(*changedSection).notes,
                          after.sections.at(*changedSection).notes};
}

bool continuesACharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The note as the text both share at its start and end, and what replaces the rest, cut at
// character boundaries so that each part is text of its own.
ordered_json noteSplice(const std::string& before, const std::string& after) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t start = static_cast<std::size_t>(
        std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(shorter),
                      after.begin())
            .first -
        before.begin());
    while (start > 0 && start < after.size() && continuesACharacter(after[start])) {
        --start;
    }
    std::size_t end = 0; // bytes both share at the end, after start
    while (end < shorter - start &&
           before[before.size() - 1 - end] == after[after.size() - 1 - end]) {
        ++end;
    }
    while (end > 0 && continuesACharacter(after[after.size() - end])) {
        --end;
    }
    return ordered_json{{"from", start},
                        {"cut", before.size() - start - end},
                        {"insert", after.substr(start, after.size() - start - end)}};
}

ordered_json recordChange(std::size_t at, const StudentRecord& before, const StudentRecord& after) {
    ordered_json change{{"at", at}};
    if (const auto note = noteDifference(before, after)) {
        change["id"] = after.id.toString();
        if (note->section) {
            change["section"] = std::string(sections::rawValue(*note->section));
        }
        change["note"] = noteSplice(note->before, note->after);
    } else {
        change["record"] = toJson(after);
    }
    return change;
}

// Null when no record changed.
ordered_json studentsDifference(const StudentList& before, const StudentList& after) {
    ordered_json records = ordered_json::array();
    if (sameRoster(before, after)) {
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (changed(before, after, i)) {
                records.push_back(recordChange(i, before[i], after[i]));
            }
        }
        return records.empty() ? ordered_json() : ordered_json{{"records", std::move(records)}};
    }
    std::map<Uuid, const StudentRecord*> earlier;
    for (const StudentRecord& record : before) {
        earlier.emplace(record.id, &record);
    }
    ordered_json roster = ordered_json::array();
    for (const StudentRecord& record : after) {
        roster.push_back(record.id.toString());
        const auto found = earlier.find(record.id);
        if (found == earlier.end() || !(*found->second == record)) {
            records.push_back(ordered_json{{"record", toJson(record)}});
        }
    }
    return ordered_json{{"roster", std::move(roster)}, {"records", std::move(records)}};
}

// Null when the history is unchanged.
ordered_json undoDifference(const SnapshotUndo& before, const SnapshotUndo& after,
                            const Session& sessionBefore, bool& changesSteps) {
    // The entries both share are a run that starts where `after` starts, after any of the
    // oldest that were dropped to keep the history at its size.
    std::size_t dropped = before.size();
    if (!after.empty()) {
        const auto first = std::find_if(before.begin(), before.end(), [&](const auto& undo) {
            return undo.entry == after.front().entry;
        });
        dropped = static_cast<std::size_t>(first - before.begin());
    }
    std::size_t common = 0;
    while (dropped + common < before.size() && common < after.size() &&
           before[dropped + common].entry == after[common].entry) {
        ++common;
    }
    const std::size_t undone = before.size() - dropped - common;

    ordered_json dates = ordered_json::array();
    for (std::size_t i = 0; i < common; ++i) {
        if (before[dropped + i].date != after[i].date) {
            dates.push_back(
                ordered_json{{"at", i}, {"date", secondsSinceReferenceDate(after[i].date)}});
        }
    }
    ordered_json added = ordered_json::array();
    for (std::size_t i = common; i < after.size(); ++i) {
        UndoEntry step = after[i].entry->entry();
        step.date = after[i].date;
        ordered_json json = undoStepToJson(step);
        // A step made by this change restores the state before it; any other carries its own.
        if (i > common || !(step.session == sessionBefore)) {
            json["session"] = toJson(step.session);
        }
        added.push_back(std::move(json));
    }
    changesSteps = dropped > 0 || undone > 0 || !added.empty();
    if (!changesSteps && dates.empty()) {
        return ordered_json();
    }
    ordered_json out = ordered_json::object();
    out["dropped"] = dropped;
    out["undone"] = undone;
    out["dates"] = std::move(dates);
    out["added"] = std::move(added);
    out["size"] = after.size();
    return out;
}

std::size_t index(const nlohmann::json& value, const char* what) {
    const std::int64_t number = json::integer(value, what);
    if (number < 0) {
        throw JsonDecodeError(std::string("\"") + what + "\" is negative");
    }
    return static_cast<std::size_t>(number);
}

// A difference read and checked against the state, ready to apply without failing.
struct Prepared {
    std::size_t dropped = 0;
    std::size_t common = 0;
    std::vector<std::pair<std::size_t, TimePoint>> dates;
    std::vector<UndoEntry> added;
    std::optional<StudentList> students;
    Focus focus;
};

void prepareUndo(const nlohmann::json& undo, const SavedState& state, Prepared& prepared) {
    const std::size_t size = state.undo.size();
    prepared.dropped = index(json::member(undo, "dropped"), "dropped");
    const std::size_t undone = index(json::member(undo, "undone"), "undone");
    if (prepared.dropped > size || undone > size - prepared.dropped) {
        throw JsonDecodeError("the history is shorter than the change says");
    }
    prepared.common = size - prepared.dropped - undone;
    const auto& datesJson = json::member(undo, "dates");
    const auto& addedJson = json::member(undo, "added");
    if (!datesJson.is_array() || !addedJson.is_array()) {
        throw JsonDecodeError("\"dates\" and \"added\" must be arrays");
    }
    for (const auto& date : datesJson) {
        prepared.dates.emplace_back(index(json::member(date, "at"), "at"),
                                    json::date(json::member(date, "date"), "date"));
        if (prepared.dates.back().first >= prepared.common) {
            throw JsonDecodeError("a refreshed date is past the history");
        }
    }
    for (const auto& step : addedJson) {
        prepared.added.push_back(undoStepFromJson(step));
        const auto* session = json::optionalMember(step, "session");
        prepared.added.back().session = session ? sessionFromJson(*session) : state.session;
    }
    if (index(json::member(undo, "size"), "size") != prepared.common + prepared.added.size()) {
        throw JsonDecodeError("the history does not come out at the size the change says");
    }
}

StudentList changedInPlace(const nlohmann::json& recordsJson, const StudentList& current) {
    StudentList list = current;
    for (const auto& change : recordsJson) {
        const std::size_t at = index(json::member(change, "at"), "at");
        const auto* recordJson = json::optionalMember(change, "record");
        std::optional<StudentRecord> record;
        if (recordJson) {
            record = studentRecordFromJson(*recordJson);
        }
        const Uuid id = record ? record->id : json::uuid(json::member(change, "id"), "id");
        if (at >= list.size() || list[at].id != id) {
            throw JsonDecodeError("a changed student is not where the change says");
        }
        if (record) {
            list.edit(at) = std::move(*record);
            continue;
        }
        const auto* sectionJson = json::optionalMember(change, "section");
        std::optional<SectionID> section;
        if (sectionJson) {
            section = sections::fromRawValue(json::string(*sectionJson, "section"));
            if (!section || !list[at].sections.contains(*section)) {
                throw JsonDecodeError("a changed note is in no section the student has");
            }
        }
        const auto& splice = json::member(change, "note");
        const std::size_t from = index(json::member(splice, "from"), "from");
        const std::size_t cut = index(json::member(splice, "cut"), "cut");
        const std::string insert = json::string(json::member(splice, "insert"), "insert");
        const std::string& note =
            section ? list[at].sections.at(*section).notes : list[at].overallNotes;
        if (from > note.size() || cut > note.size() - from) {
            throw JsonDecodeError("a changed note is shorter than the change says");
        }
        std::string changedNote = note.substr(0, from) + insert + note.substr(from + cut);
        StudentRecord& edited = list.edit(at);
        (section ? edited.sections.at(*section).notes : edited.overallNotes) =
            std::move(changedNote);
    }
    return list;
}

StudentList reordered(const nlohmann::json& rosterJson, const nlohmann::json& recordsJson,
                      const StudentList& current) {
    if (!rosterJson.is_array()) {
        throw JsonDecodeError("\"roster\" is not an array");
    }
    std::map<Uuid, StudentRecord> records;
    for (const auto& change : recordsJson) {
        StudentRecord record = studentRecordFromJson(json::member(change, "record"));
        const Uuid id = record.id;
        records.emplace(id, std::move(record));
    }
    std::map<Uuid, std::size_t> earlier;
    for (std::size_t i = 0; i < current.size(); ++i) {
        earlier.emplace(current[i].id, i);
    }
    std::set<Uuid> seen;
    StudentList list;
    for (const auto& idJson : rosterJson) {
        const Uuid id = json::uuid(idJson, "roster");
        if (!seen.insert(id).second) {
            throw JsonDecodeError("two students have the id " + id.toString());
        }
        if (const auto found = records.find(id); found != records.end()) {
            list.push_back(found->second);
        } else if (const auto kept = earlier.find(id); kept != earlier.end()) {
            list.push_back(current[kept->second]);
        } else {
            throw JsonDecodeError("the roster names a student the change does not hold");
        }
    }
    return list;
}

StudentList prepareStudents(const nlohmann::json& students, const StudentList& current) {
    const auto& recordsJson = json::member(students, "records");
    if (!recordsJson.is_array()) {
        throw JsonDecodeError("\"records\" is not an array");
    }
    const auto* rosterJson = json::optionalMember(students, "roster");
    return rosterJson ? reordered(*rosterJson, recordsJson, current)
                      : changedInPlace(recordsJson, current);
}

Prepared prepare(const nlohmann::json& document, const SavedState& state) {
    if (!document.is_object()) {
        throw JsonDecodeError("a change is not an object");
    }
    Prepared prepared;
    prepared.common = state.undo.size();
    if (const auto* undo = json::optionalMember(document, "undo")) {
        prepareUndo(*undo, state, prepared);
    }
    if (const auto* students = json::optionalMember(document, "students")) {
        prepared.students = prepareStudents(*students, state.session.students);
    }
    prepared.focus = focusFromJson(json::member(document, "focus"));
    return prepared;
}

} // namespace

StateDifference encodeStateDifference(const SavedStateSnapshot& before,
                                      const SavedStateSnapshot& after) {
    StateDifference difference;
    ordered_json undo =
        undoDifference(before.undo, after.undo, before.session, difference.changesSteps);
    ordered_json students = studentsDifference(before.session.students, after.session.students);
    const bool sameFocus = before.session.focus == after.session.focus;
    if (undo.is_null() && students.is_null() && sameFocus) {
        return difference;
    }
    ordered_json out = ordered_json::object();
    if (!undo.is_null()) {
        out["undo"] = std::move(undo);
    }
    if (!students.is_null()) {
        out["students"] = std::move(students);
    }
    out["focus"] = toJson(after.session.focus);
    difference.text = json::dump(out);
    return difference;
}

Result<void> applyStateDifference(std::string_view text, SavedState& state) {
    Prepared prepared;
    try {
        prepared = prepare(nlohmann::json::parse(text.begin(), text.end()), state);
    } catch (const std::exception& e) {
        return Error{e.what()};
    }
    std::vector<UndoEntry>& history = state.undo;
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(prepared.dropped));
    history.resize(prepared.common);
    for (const auto& [at, date] : prepared.dates) {
        history[at].date = date;
    }
    std::move(prepared.added.begin(), prepared.added.end(), std::back_inserter(history));
    if (prepared.students) {
        state.session.students = std::move(*prepared.students);
    }
    state.session.focus = prepared.focus;
    return {};
}

} // namespace kelvarn
