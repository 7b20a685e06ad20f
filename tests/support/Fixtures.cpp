#include "support/Fixtures.h"

namespace kelvarn::testing {

Session sessionWithStudents(const std::vector<std::string>& names) {
    Session session;
    for (const auto& name : names) {
        session.students.push_back(StudentRecord(Uuid::generate(), name));
    }
    return session;
}

StudentRecord fullyGraded(const std::string& name, Level level) {
    StudentRecord record(Uuid::generate(), name);
    for (SectionID section : sections::allCases) {
        record.sections[section].level = level;
    }
    return record;
}

} // namespace kelvarn::testing
