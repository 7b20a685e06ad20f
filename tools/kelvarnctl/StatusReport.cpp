#include "StatusReport.h"

#include "model/PointFormat.h"
#include "model/Rubric.h"
#include "support/ControlCharacters.h"

namespace kelvarn::ctl {

std::string statusReport(const Session& session) {
    std::string out;
    for (const StudentRecord& record : session.students) {
        out += oneLine(record.name) + "\t" + std::to_string(record.gradedCount()) + "/" +
               std::to_string(sections::allCases.size()) + "\t" +
               outOf(record.score(), rubric::maxScore) + "\n";
    }
    out += "Focus: ";
    if (const auto student = session.focusedStudent()) {
        out += oneLine(student->name);
        if (session.focus.section) {
            out += " · " + std::string(sections::shortTitle(*session.focus.section));
        }
    } else {
        out += "all students";
    }
    return out + "\n";
}

} // namespace kelvarn::ctl
