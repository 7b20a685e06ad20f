// Grade books from learning platforms: read as rosters that keep each student's columns, saved
// with the class, matched by ID on the next import, and written back for upload.
#include "model/RosterMerge.h"
#include "persistence/CsvRows.h"
#include "persistence/FileIO.h"
#include "persistence/GradeBookExporter.h"
#include "persistence/GradeBookRoster.h"
#include "persistence/SessionJson.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvarn {
namespace {

std::string fixture(const std::string& name) {
    const auto text = readWholeFile(std::filesystem::path(KELVARN_GRADEBOOKS) / name, 1 << 20);
    EXPECT_TRUE(text) << name;
    return text ? text.value() : std::string();
}

std::string value(const RosterName& name, const std::string& column) {
    for (const StudentIdentifier& identifier : name.identifiers) {
        if (identifier.column == column) {
            return identifier.value;
        }
    }
    return "(none)";
}

std::vector<std::string> namesOf(const roster::Parsed& parsed) {
    std::vector<std::string> names;
    for (const RosterName& name : parsed.names) {
        names.push_back(name.name);
    }
    return names;
}

TEST(GradeBookTest, CsvRowsReadQuotesCommasAndLineBreaksInsideFields) {
    EXPECT_EQ(csvRows("a,\"b, c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\nlines\",,\n"),
              (std::vector<std::vector<std::string>>{{"a", "b, c", "say \"hi\""},
                                                     {"two\nlines", "", ""}}));
    EXPECT_TRUE(csvRows("").empty());
    EXPECT_EQ(csvRows("last"), (std::vector<std::vector<std::string>>{{"last"}}));
}

TEST(GradeBookTest, CanvasAndMoodleGradeBooksAreRostersThatKeepTheirColumns) {
    const roster::Parsed canvas = roster::parse(fixture("canvas.csv"));
    EXPECT_EQ(namesOf(canvas),
              (std::vector<std::string>{"Nadia Ford", "Omar Haddad", "Lena Cruz",
                                        "Lucía Fernández Ruiz", "John Smith", "John Smith"}))
        << "names from \"Last, First\"; two people of one name are two students";
    EXPECT_EQ(canvas.names[3].surname, "Fernández Ruiz");
    EXPECT_EQ(canvas.ignoredLines, 2u) << "the header and the Points Possible row";
    EXPECT_EQ(canvas.skippedLines, 0u);
    ASSERT_EQ(canvas.names[2].identifiers.size(), 8u);
    EXPECT_EQ(canvas.names[2].identifiers.front(), (StudentIdentifier{"Student", "Cruz, Lena"}))
        << "the byte-order mark is not part of the first column's title";
    EXPECT_EQ(value(canvas.names[2], "Section"), "ENG 101, Section \"B\"");
    EXPECT_EQ(value(canvas.names[2], "ID"), "1003");
    EXPECT_EQ(value(canvas.names[2], "Final Score"), "") << "CR LF is no part of a value";

    const roster::Parsed moodle = roster::parse(fixture("moodle.csv"));
    EXPECT_EQ(namesOf(moodle),
              (std::vector<std::string>{"Nadia Ford", "Omar Haddad", "Zoë O'Brien"}));
    EXPECT_EQ(moodle.names[2].surname, "O'Brien");
    EXPECT_EQ(value(moodle.names[0], "ID number"), "S-001");
    EXPECT_EQ(value(moodle.names[2], "Email address"), "zobrien@example.edu");

    // A list of names stays one, commas and all.
    const roster::Parsed plain = roster::parse("Ford, Nadia\nStudent\nOmar Haddad\n");
    EXPECT_EQ(namesOf(plain), (std::vector<std::string>{"Nadia Ford", "Student", "Omar Haddad"}));
    EXPECT_TRUE(plain.names[0].identifiers.empty());
    EXPECT_EQ(roster::parseGradeBook("Name,Email\nNadia Ford,n@example.edu\n"), std::nullopt);
}

TEST(GradeBookTest, AReimportMatchesByIDKeepsGradesAndTheColumnsAreSavedWithTheClass) {
    const roster::Parsed canvas = roster::parse(fixture("canvas.csv"));
    RosterMerge first = mergeRoster({}, canvas.names, randomUuids());
    ASSERT_EQ(first.added, 6u);
    first.students.edit(0).sections[SectionID::intro].level = Level::complete;

    // Next term's download: Nadia's name changed, and the same grade book again adds nobody.
    std::vector<RosterName> again = canvas.names;
    again[0].name = "Nadia Ford-Lowe";
    const RosterMerge second = mergeRoster(first.students, again, randomUuids());
    EXPECT_EQ(second.added, 0u);
    EXPECT_EQ(second.alreadyThere, 6u);
    EXPECT_EQ(second.students[0].name, "Nadia Ford-Lowe") << "matched by ID, renamed";
    EXPECT_EQ(second.students[0].grade(SectionID::intro).level, Level::complete);

    // A plain list naming a student from the grade book leaves the columns alone.
    const RosterMerge plain =
        mergeRoster(second.students, {"Omar Haddad", "Ana Silva"}, randomUuids());
    EXPECT_EQ(plain.added, 1u);
    EXPECT_EQ(plain.students[1].identifiers, canvas.names[1].identifiers);

    Session session;
    session.students = plain.students;
    const std::string saved = encodeSession(session);
    Session plainOnly;
    plainOnly.students.push_back(plain.students[6]);
    EXPECT_EQ(encodeSession(plainOnly).find("identifiers"), std::string::npos)
        << "a plain student's record keeps its old shape";
    const Result<Session> loaded = decodeSession(saved);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.value().students[1].identifiers, canvas.names[1].identifiers);
    EXPECT_EQ(loaded.value().students, session.students);
}

TEST(GradeBookTest, TheExportHasTheGradeBooksColumnsThenTheScoreReadyToUpload) {
    const roster::Parsed moodle = roster::parse(fixture("moodle.csv"));
    RosterMerge merged = mergeRoster({}, moodle.names, randomUuids());
    merged = mergeRoster(merged.students, {"=HYPERLINK(\"x\")"}, randomUuids());
    for (const SectionID section : sections::allCases) {
        merged.students.edit(0).sections[section].level = Level::complete;
    }
    merged.students.edit(1).sections[SectionID::intro].level = Level::mostly;
    Session session;
    session.students = merged.students;

    const std::string csv = gradeBookExporter::csv(session, "Essay 1");
    const std::vector<std::vector<std::string>> rows = csvRows(csv);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].front(), "First name");
    EXPECT_EQ(rows[0].back(), "Essay 1");
    EXPECT_EQ(rows[0].size(), 9u);
    EXPECT_EQ(rows[1].back(), "100.00");
    EXPECT_EQ(rows[1][5], "nford@example.edu");
    EXPECT_EQ(rows[2].back(), "14.96") << "two decimals with a full stop";
    EXPECT_EQ(rows[3].back(), "") << "no level yet is no grade, not a zero";
    EXPECT_EQ(rows[4], std::vector<std::string>(9, "")) << "a plain student: empty cells, "
                                                           "and its name is not in a grade book "
                                                           "column";
    EXPECT_EQ(rows[1][6], "'-") << "guarded as the CSV export guards";
    EXPECT_NE(csv.find("\r\n"), std::string::npos);
    EXPECT_FALSE(csv.starts_with("\xEF\xBB\xBF"));
    EXPECT_TRUE(gradeBookExporter::csv(session, "Essay 1", true).starts_with("\xEF\xBB\xBF"));

    // Canvas names the assignment's column itself: the score goes there, not beside it.
    const RosterMerge canvas =
        mergeRoster({}, roster::parse(fixture("canvas.csv")).names, randomUuids());
    Session canvasSession;
    canvasSession.students = canvas.students;
    canvasSession.students.edit(0).sections[SectionID::intro].level = Level::complete;
    const auto canvasRows = csvRows(gradeBookExporter::csv(canvasSession, "Essay 1 (412)"));
    EXPECT_EQ(canvasRows[0].size(), 8u);
    EXPECT_EQ(canvasRows[1][5], "17.00");
    EXPECT_EQ(canvasRows[1][0], "Ford, Nadia");
}

} // namespace
} // namespace kelvarn
