#include "model/Session.h"

namespace kelvarn {

std::optional<std::size_t> Session::index(const std::optional<Uuid>& id) const {
    if (!id) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < students.size(); ++i) {
        if (students[i].id == *id) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<StudentRecord> Session::focusedStudent() const {
    const auto i = index(focus.studentID);
    if (!i) {
        return std::nullopt;
    }
    return students[*i];
}

std::string Session::notes(const NotesTarget& target) const {
    const auto i = index(studentOf(target));
    if (!i) {
        return {};
    }
    const StudentRecord& record = students[*i];
    if (const auto* section = std::get_if<SectionNotes>(&target)) {
        const auto it = record.sections.find(section->section);
        return it == record.sections.end() ? std::string() : it->second.notes;
    }
    return record.overallNotes;
}

void Session::setNotes(std::string text, const NotesTarget& target) {
    const auto i = index(studentOf(target));
    if (!i) {
        return;
    }
    StudentRecord& record = students.edit(*i);
    if (const auto* section = std::get_if<SectionNotes>(&target)) {
        record.sections[section->section].notes = std::move(text);
    } else {
        record.overallNotes = std::move(text);
    }
}

} // namespace kelvarn
