#include "persistence/TextExporter.h"
#include "persistence/ExportDate.h"

#include "support/Fixtures.h"
#include "support/LocaleGuard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace kelvarn {
namespace {

using Lines = std::vector<std::string>;

// 2026-03-05 14:07:00 UTC.
const TimePoint exportTime = std::chrono::sys_days{std::chrono::year{2026} / 3 / 5} +
                             std::chrono::hours{14} + std::chrono::minutes{7};

const std::string heading = "Essay Exam #1 — Introduction to Politics I · HUM 2040\n"
                            "Grades exported March 5, 2026 at 2:07\u202fPM\n";
const std::string rule(78, '=');

std::string report(const Session& session) {
    return textExporter::text(session, exportTime, "en_US", "UTC");
}

std::vector<std::string> names(const StudentList& students) {
    std::vector<std::string> result;
    for (const StudentRecord& student : students) {
        result.push_back(student.name);
    }
    return result;
}

TEST(TextExporterTest, EmptySessionIsTheHeadingAlone) {
    EXPECT_EQ(report(Session{}), heading + "0 students · 0 fully graded\n");
}

TEST(TextExporterTest, BlocksForUnstartedNotesOnlyAndGradedStudents) {
    Session session = testing::sessionWithStudents({"Omar Haddad", "Nadia Ford"});
    session.students.edit(1).sections[SectionID::claims].notes = "Two claims.\nBoth weak.";
    session.students.push_back(testing::fullyGraded("Lena Zorn", Level::complete));
    session.students.edit(2).sections[SectionID::style].level = Level::mostly;
    session.students.edit(2).overallNotes = "Strong work.";

    EXPECT_EQ(report(session),
              heading + "3 students · 1 fully graded · average 4.90/5.00 (graded students)\n\n" +
                  rule + "\nNadia Ford\nNot graded yet\n" + rule + "\n\n" +
                  "Introduction, Thesis and Roadmap: not graded\n\n" +
                  "Supporting Claims: not graded\n    Two claims.\n    Both weak.\n\n" +
                  "Use of Evidence: not graded\n\n" + "Analysis of Evidence: not graded\n\n" +
                  "Conclusion: not graded\n\n" + "General Structure and Style: not graded\n\n" +
                  "Overall comments:\n    —\n\n\n" +
                  // Omar Haddad has nothing recorded: only the name block.
                  rule + "\nOmar Haddad\nNot graded yet\n" + rule + "\n\n\n" + rule +
                  "\nLena Zorn\nScore: 4.90/5.00   (98.08/100.00)\n" + rule + "\n\n" +
                  "Introduction, Thesis and Roadmap: Complete — 17.00/17.00\n\n" +
                  "Supporting Claims: Complete — 17.00/17.00\n\n" +
                  "Use of Evidence: Complete — 17.00/17.00\n\n" +
                  "Analysis of Evidence: Complete — 17.00/17.00\n\n" +
                  "Conclusion: Complete — 16.00/16.00\n\n" +
                  "General Structure and Style: Mostly — 14.08/16.00\n\n" +
                  "Overall comments:\n    Strong work.\n\n");
}

TEST(TextExporterTest, ScoreLineMarksPartlyGradedStudentsAndAverageSkipsUngraded) {
    StudentRecord partly(Uuid::generate(), "Ben Okafor");
    const Level levels[] = {Level::complete, Level::mostly, Level::somewhat, Level::incomplete,
                            Level::complete};
    for (std::size_t i = 0; i < 5; ++i) {
        partly.sections[sections::allCases[i]].level = levels[i];
    }
    Session session = testing::sessionWithStudents({"Ada Ungraded"});
    session.students.push_back(partly);
    session.students.push_back(testing::fullyGraded("Cy Full", Level::complete));

    const std::string text = report(session);
    EXPECT_NE(
        text.find("\nScore: 3.59/5.00   (71.76/100.00)   · INCOMPLETE: 5/6 sections graded\n"),
        std::string::npos);
    EXPECT_NE(text.find("\n3 students · 1 fully graded · average 4.29/5.00 (graded students)\n"),
              std::string::npos)
        << "(3.588 + 5) / 2, the ungraded student left out";
    EXPECT_EQ(text.find("Score: 5.00/5.00   (100.00/100.00)   ·"), std::string::npos);
}

TEST(TextExporterTest, SortsBySurnameThenGivenNameFoldedAndStable) {
    const Session session =
        testing::sessionWithStudents({"Élise Zorn", "anna zorn", "Bo Ahn", "Anna Maria Lopez",
                                      "Zed Lopez", "Madonna", "NADIA FORD", "Nadia Ford"});
    EXPECT_EQ(names(textExporter::sortedByLastName(session.students)),
              (Lines{"Bo Ahn", "NADIA FORD", "Nadia Ford", "Zed Lopez", "Madonna",
                     "Anna Maria Lopez", "anna zorn", "Élise Zorn"}));
}

TEST(TextExporterTest, WrapsAtTheWidthCountingCharacters) {
    const std::string fits(74, 'a');
    EXPECT_EQ(textExporter::wrap(fits, "    "), Lines{"    " + fits}) << "exactly 78";
    EXPECT_EQ(textExporter::wrap(std::string(73, 'a') + " b", "    "),
              (Lines{"    " + std::string(73, 'a'), "    b"}));
    std::string accented;
    for (int i = 0; i < 37; ++i) {
        accented += "é";
        accented += "e\xCC\x81";
    }
    EXPECT_EQ(textExporter::wrap(accented, "    ").size(), 1u) << "74 characters, 185 bytes";

    const std::string longWord(100, 'x');
    EXPECT_EQ(textExporter::wrap("short " + longWord + " tail", "    "),
              (Lines{"    short", "    " + longWord, "    tail"}));

    std::string note;
    while (note.size() < 200) {
        note += "evidence ";
    }
    const Lines wrapped = textExporter::wrap(note, "    ");
    EXPECT_EQ(wrapped.size(), 3u);
    for (const std::string& line : wrapped) {
        EXPECT_LE(line.size(), 78u);
        EXPECT_TRUE(line.starts_with("    evidence"));
        EXPECT_FALSE(line.ends_with(' '));
    }
}

TEST(TextExporterTest, WrapKeepsParagraphsAndDropsBlankOnes) {
    EXPECT_EQ(textExporter::wrap("One.\r\nTwo  words.\n \t\n\u2028Three.", "  "),
              (Lines{"  One.", "  Two words.", "  Three."}));
    EXPECT_EQ(textExporter::wrap(" \n\t", "    "), Lines{});
}

// Sets an environment variable for the life of the guard.
class EnvironmentGuard final {
public:
    EnvironmentGuard(const char* name, const char* value) : m_name(name) {
        if (const char* previous = std::getenv(name)) {
            m_previous = previous;
        }
        set(value);
    }
    ~EnvironmentGuard() { set(m_previous ? m_previous->c_str() : nullptr); }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    void set(const char* value) {
        if (value) {
            ::setenv(m_name, value, 1);
        } else {
            ::unsetenv(m_name);
        }
    }

    const char* m_name;
    std::optional<std::string> m_previous;
};

TEST(TextExporterTest, DateFollowsTheLocaleFromTheEnvironment) {
    EnvironmentGuard all("LC_ALL", "de_DE.UTF-8@euro");
    EnvironmentGuard time("LC_TIME", "fr_FR.UTF-8");
    EnvironmentGuard lang("LANG", "C.UTF-8");
    EXPECT_EQ(exportDate::localeFromEnvironment(), "de_DE");
    EXPECT_EQ(exportDate::format(exportTime, "de_DE", "UTC"), "5. März 2026 um 14:07");
    {
        EnvironmentGuard noAll("LC_ALL", "");
        EXPECT_EQ(exportDate::localeFromEnvironment(), "fr_FR");
        EnvironmentGuard noTime("LC_TIME", nullptr);
        EXPECT_EQ(exportDate::localeFromEnvironment(), "en_US") << "C means US English";
        EnvironmentGuard noLang("LANG", nullptr);
        EXPECT_EQ(exportDate::localeFromEnvironment(), "en_US");
    }
    EXPECT_EQ(exportDate::format(exportTime, "en_US", "America/New_York"),
              "March 5, 2026 at 9:07\u202fAM");
}

TEST(TextExporterTest, PointsKeepAFullStopUnderACommaDecimalLocale) {
    testing::LocaleGuard german("de_DE.UTF-8");
    ASSERT_TRUE(german.active()) << "the de_DE.UTF-8 locale is not installed";
    const Session session{{testing::fullyGraded("Nadia Ford", Level::mostly)}, {}};
    const std::string text = report(session);
    EXPECT_NE(text.find("average 4.40/5.00"), std::string::npos);
    EXPECT_NE(text.find("Use of Evidence: Mostly — 14.96/17.00\n"), std::string::npos);
}

} // namespace
} // namespace kelvarn
