#include "model/StudentRecord.h"

#include "model/Rubric.h"

namespace kelvarn {

SectionGrade StudentRecord::grade(SectionID section) const {
    const auto it = sections.find(section);
    return it == sections.end() ? SectionGrade{} : it->second;
}

int StudentRecord::gradedCount() const {
    int count = 0;
    for (SectionID section : sections::allCases) {
        const auto it = sections.find(section);
        if (it != sections.end() && it->second.level) {
            ++count;
        }
    }
    return count;
}

bool StudentRecord::isStarted() const {
    if (gradedCount() > 0 || !overallNotes.empty()) {
        return true;
    }
    for (const auto& [section, grade] : sections) {
        if (!grade.notes.empty()) {
            return true;
        }
    }
    return false;
}

double StudentRecord::totalPoints() const {
    double total = 0;
    for (SectionID section : sections::allCases) {
        const auto it = sections.find(section);
        if (it != sections.end() && it->second.level) {
            total += sections::points(section, *it->second.level);
        }
    }
    return total;
}

double StudentRecord::score() const {
    return totalPoints() / rubric::scoreDivisor;
}

} // namespace kelvarn
