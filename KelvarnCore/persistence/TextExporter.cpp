#include "persistence/TextExporter.h"

#include "model/PointFormat.h"
#include "model/Rubric.h"
#include "persistence/ExportDate.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <utility>

namespace kelvarn::textExporter {

namespace {

const std::string rule(width, '=');
constexpr std::string_view notesIndent = "    ";

struct SortKey {
    std::string surname;
    std::string given;

    // std::string compares its bytes unsigned, which for UTF-8 is code point order.
    friend auto operator<=>(const SortKey&, const SortKey&) = default;
};

SortKey sortKey(const std::string& name) {
    const std::vector<std::string_view> words = splitWords(name);
    const std::string surname = words.size() >= 2 ? join(std::span(words).subspan(1)) : name;
    const std::string_view given = words.empty() ? std::string_view() : words.front();
    return {unicode::foldCaseAndDiacritics(surname), unicode::foldCaseAndDiacritics(given)};
}

std::string summary(const StudentList& students) {
    int fullyGraded = 0;
    int graded = 0;
    double scores = 0;
    for (const StudentRecord& student : students) {
        fullyGraded += student.isComplete() ? 1 : 0;
        if (student.gradedCount() > 0) {
            ++graded;
            scores += student.score();
        }
    }
    std::string line = std::to_string(students.size()) + " students · " +
                       std::to_string(fullyGraded) + " fully graded";
    if (graded > 0) {
        line += " · average " + outOf(scores / graded, rubric::maxScore) + " (graded students)";
    }
    return line;
}

std::string scoreLine(const StudentRecord& student) {
    const int graded = student.gradedCount();
    if (graded == 0) {
        return "Not graded yet";
    }
    std::string line = "Score: " + outOf(student.score(), rubric::maxScore) + "   (" +
                       outOf(student.totalPoints(), rubric::maxPoints) + ")";
    if (!student.isComplete()) {
        line += "   · INCOMPLETE: " + std::to_string(graded) + "/" +
                std::to_string(sections::allCases.size()) + " sections graded";
    }
    return line;
}

std::string sectionLine(SectionID section, const SectionGrade& grade) {
    std::string line = std::string(sections::title(section)) + ": ";
    if (!grade.level) {
        return line + "not graded";
    }
    return line + std::string(levels::title(*grade.level)) + " — " +
           outOf(sections::points(section, *grade.level), sections::weight(section));
}

void appendLines(std::vector<std::string>& lines, std::vector<std::string> more) {
    lines.insert(lines.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
}

void appendStudent(std::vector<std::string>& lines, const StudentRecord& student) {
    lines.insert(lines.end(), {rule, student.name, scoreLine(student), rule, ""});
    if (student.isStarted()) {
        for (SectionID section : sections::allCases) {
            const SectionGrade grade = student.grade(section);
            lines.push_back(sectionLine(section, grade));
            appendLines(lines, wrap(grade.notes, notesIndent));
            lines.emplace_back();
        }
        lines.emplace_back("Overall comments:");
        if (student.overallNotes.empty()) {
            lines.push_back(std::string(notesIndent) + "—");
        } else {
            appendLines(lines, wrap(student.overallNotes, notesIndent));
        }
        lines.emplace_back();
    }
    lines.emplace_back();
}

} // namespace

StudentList sortedByLastName(const StudentList& students) {
    std::vector<SortKey> keys;
    keys.reserve(students.size());
    for (const StudentRecord& student : students) {
        keys.push_back(sortKey(student.name));
    }
    std::vector<std::size_t> order(students.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    StudentList sorted;
    for (std::size_t index : order) {
        sorted.push_back(students[index]);
    }
    return sorted;
}

std::vector<std::string> wrap(std::string_view text, std::string_view indent) {
    const std::size_t indentLength = unicode::characterCount(indent);
    std::vector<std::string> lines;
    for (const std::string_view paragraph : splitLines(text)) {
        std::string line(indent);
        std::size_t length = indentLength;
        for (const std::string_view word : splitWords(paragraph)) {
            const std::size_t wordLength = unicode::characterCount(word);
            const bool lineHasWords = line.size() > indent.size();
            if (lineHasWords && length + 1 + wordLength > width) {
                lines.push_back(std::move(line));
                line = std::string(indent);
                length = indentLength;
            }
            if (line.size() > indent.size()) {
                line += ' ';
                ++length;
            }
            line += word;
            length += wordLength;
        }
        if (line.size() > indent.size()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string text(const Session& session, TimePoint date, const std::string& locale,
                 const std::string& timeZone) {
    std::vector<std::string> lines{
        std::string(rubric::title) + " — " + std::string(rubric::course),
        "Grades exported " + exportDate::format(date, locale, timeZone),
        summary(session.students),
        "",
    };
    for (const StudentRecord& student : sortedByLastName(session.students)) {
        appendStudent(lines, student);
    }
    std::string report;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        report += (i > 0 ? "\n" : "");
        report += lines[i];
    }
    return report;
}

} // namespace kelvarn::textExporter
