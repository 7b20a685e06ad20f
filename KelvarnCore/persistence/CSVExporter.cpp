#include "persistence/CSVExporter.h"

#include "model/PointFormat.h"
#include "model/Rubric.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace kelvarn::csvExporter {

namespace {

// Only plain decimal numbers such as -3, +2.5 or -1.5e3 pass unguarded: "-inf" or "+nan" parse as
// floating-point values too, but a spreadsheet would read them as formulas.
bool isPlainNumber(std::string_view field) {
    if (field.starts_with('+') || field.starts_with('-')) {
        field.remove_prefix(1);
    }
    if (field.empty() ||
        !((field.front() >= '0' && field.front() <= '9') || field.front() == '.')) {
        return false;
    }
    double value = 0;
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool startsLikeFormula(std::string_view field) {
    return !field.empty() && (field.front() == '=' || field.front() == '+' ||
                              field.front() == '-' || field.front() == '@');
}

std::vector<std::string> headerFields() {
    std::vector<std::string> fields{"Student"};
    for (SectionID section : sections::allCases) {
        const std::string title(sections::title(section));
        fields.push_back(title + " — Level");
        fields.push_back(title + " — Pts (of " + fmt(sections::weight(section)) + ")");
        fields.push_back(title + " — Notes");
    }
    fields.push_back("Total Pts (of " + fmt(rubric::maxPoints) + ")");
    fields.push_back("Score (of " + fmt(rubric::maxScore) + ")");
    fields.push_back("Sections Graded");
    fields.push_back("Overall Comments");
    return fields;
}

std::vector<std::string> studentFields(const StudentRecord& student) {
    std::vector<std::string> fields{student.name};
    for (SectionID section : sections::allCases) {
        const auto entry = student.sections.find(section);
        if (entry == student.sections.end()) {
            fields.insert(fields.end(), 3, std::string());
            continue;
        }
        const SectionGrade& grade = entry->second;
        if (grade.level) {
            fields.emplace_back(levels::title(*grade.level));
            fields.push_back(fmt(sections::points(section, *grade.level)));
        } else {
            fields.insert(fields.end(), 2, std::string());
        }
        fields.push_back(grade.notes);
    }
    const double total = student.totalPoints();
    fields.push_back(fmt(total));
    fields.push_back(fmt(total / rubric::scoreDivisor));
    fields.push_back(std::to_string(student.gradedCount()) + "/" +
                     std::to_string(sections::allCases.size()));
    fields.push_back(student.overallNotes);
    return fields;
}

} // namespace

std::string escape(std::string_view field) {
    std::string text;
    if (startsLikeFormula(field) && !isPlainNumber(field)) {
        text += '\'';
    }
    text += field;
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

std::string csv(const Session& session) {
    std::string text = row(headerFields());
    for (const StudentRecord& student : session.students) {
        text += row(studentFields(student));
    }
    return text;
}

std::string row(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += escape(fields[i]);
    }
    out += "\r\n";
    return out;
}

} // namespace kelvarn::csvExporter
