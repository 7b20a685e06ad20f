#include "persistence/GradeBookExporter.h"

#include "model/PointFormat.h"
#include "persistence/CSVExporter.h"

#include <algorithm>

namespace kelvarn::gradeBookExporter {

std::string csv(const Session& session, std::string_view column, bool byteOrderMark) {
    std::vector<std::string> columns;
    for (const StudentRecord& student : session.students) {
        for (const StudentIdentifier& identifier : student.identifiers) {
            if (std::find(columns.begin(), columns.end(), identifier.column) == columns.end()) {
                columns.push_back(identifier.column);
            }
        }
    }
    const auto scoreAt = std::find(columns.begin(), columns.end(), column);
    const std::size_t scoreColumn = static_cast<std::size_t>(scoreAt - columns.begin());
    if (scoreAt == columns.end()) {
        columns.emplace_back(column);
    }

    std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
    out += csvExporter::row(columns);
    for (const StudentRecord& student : session.students) {
        std::vector<std::string> fields(columns.size());
        for (const StudentIdentifier& identifier : student.identifiers) {
            const auto at = std::find(columns.begin(), columns.end(), identifier.column);
            fields[static_cast<std::size_t>(at - columns.begin())] = identifier.value;
        }
        fields[scoreColumn] = student.gradedCount() == 0 ? "" : fmt(student.totalPoints());
        out += csvExporter::row(fields);
    }
    return out;
}

} // namespace kelvarn::gradeBookExporter
