#include "model/NotesTarget.h"

namespace kelvarn {

Uuid studentOf(const NotesTarget& target) {
    return std::visit([](const auto& t) { return t.studentID; }, target);
}

std::string textualForm(const NotesTarget& target) {
    if (const auto* section = std::get_if<SectionNotes>(&target)) {
        return "section:" + section->studentID.toString() + ":" +
               std::string(sections::rawValue(section->section));
    }
    return "overall:" + std::get<OverallNotes>(target).studentID.toString();
}

} // namespace kelvarn
