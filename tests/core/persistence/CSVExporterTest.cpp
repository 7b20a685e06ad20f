#include "persistence/CSVExporter.h"

#include "support/Fixtures.h"
#include "support/LocaleGuard.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

const std::string header =
    "Student,"
    "\"Introduction, Thesis and Roadmap — Level\","
    "\"Introduction, Thesis and Roadmap — Pts (of 17.00)\","
    "\"Introduction, Thesis and Roadmap — Notes\","
    "Supporting Claims — Level,Supporting Claims — Pts (of 17.00),Supporting Claims — Notes,"
    "Use of Evidence — Level,Use of Evidence — Pts (of 17.00),Use of Evidence — Notes,"
    "Analysis of Evidence — Level,Analysis of Evidence — Pts (of 17.00),"
    "Analysis of Evidence — Notes,"
    "Conclusion — Level,Conclusion — Pts (of 16.00),Conclusion — Notes,"
    "General Structure and Style — Level,General Structure and Style — Pts (of 16.00),"
    "General Structure and Style — Notes,"
    "Total Pts (of 100.00),Score (of 5.00),Sections Graded,Overall Comments\r\n";

TEST(CSVExporterTest, EmptySessionIsTheHeaderRowAlone) {
    EXPECT_EQ(csvExporter::csv(Session{}), header);
}

void expectStudentRows() {
    Session session = testing::sessionWithStudents({"Nadia Ford", "Omar Haddad"});
    session.students.edit(0).sections[SectionID::intro].level = Level::mostly;
    session.students.edit(1).sections[SectionID::evidence].notes = "cites one source";
    session.students.edit(1).overallNotes = "Short, but clear.";
    session.students.push_back(testing::fullyGraded("Lena Cruz", Level::incomplete));

    EXPECT_EQ(csvExporter::csv(session),
              header + "Nadia Ford,Mostly,14.96,,,,,,,,,,,,,,,,,14.96,0.75,1/6,\r\n" +
                  "Omar Haddad,,,,,,,,,cites one source,,,,,,,,,,0.00,0.00,0/6,"
                  "\"Short, but clear.\"\r\n" +
                  "Lena Cruz,Incomplete,10.88,,Incomplete,10.88,,Incomplete,10.88,,"
                  "Incomplete,10.88,,Incomplete,10.24,,Incomplete,10.24,,64.00,3.20,6/6,\r\n");
}

TEST(CSVExporterTest, StudentRowsHoldLevelsPointsAndNotes) {
    expectStudentRows();
}

TEST(CSVExporterTest, NumbersKeepAFullStopUnderACommaDecimalLocale) {
    testing::LocaleGuard german("de_DE.UTF-8");
    ASSERT_TRUE(german.active()) << "the de_DE.UTF-8 locale is not installed";
    expectStudentRows();
    EXPECT_EQ(csvExporter::escape("-2.5"), "-2.5");
    EXPECT_EQ(csvExporter::escape("-2,5"), "\"'-2,5\"");
}

TEST(CSVExporterTest, GuardsEverythingButPlainNumbersAgainstFormulas) {
    EXPECT_EQ(csvExporter::escape("=SUM(A1)"), "'=SUM(A1)");
    EXPECT_EQ(csvExporter::escape("- see above"), "'- see above");
    EXPECT_EQ(csvExporter::escape("-x"), "'-x");
    EXPECT_EQ(csvExporter::escape("@cmd"), "'@cmd");
    EXPECT_EQ(csvExporter::escape("-"), "'-");
    EXPECT_EQ(csvExporter::escape("+-3"), "'+-3");
    EXPECT_EQ(csvExporter::escape("-inf"), "'-inf");
    EXPECT_EQ(csvExporter::escape("+nan"), "'+nan");
    EXPECT_EQ(csvExporter::escape("-0x1A"), "'-0x1A");
    EXPECT_EQ(csvExporter::escape("-1e999"), "'-1e999");
    EXPECT_EQ(csvExporter::escape("-5 "), "'-5 ");

    EXPECT_EQ(csvExporter::escape("-5"), "-5");
    EXPECT_EQ(csvExporter::escape("-3"), "-3");
    EXPECT_EQ(csvExporter::escape("+2.5"), "+2.5");
    EXPECT_EQ(csvExporter::escape("-.5"), "-.5");
    EXPECT_EQ(csvExporter::escape("+1.5e3"), "+1.5e3");
    EXPECT_EQ(csvExporter::escape("a=b"), "a=b");
    EXPECT_EQ(csvExporter::escape(""), "");
}

TEST(CSVExporterTest, QuotesCommasQuotesAndEveryLineBreak) {
    EXPECT_EQ(csvExporter::escape("He said \"fine\""), "\"He said \"\"fine\"\"\"");
    EXPECT_EQ(csvExporter::escape("a\nb"), "\"a\nb\"");
    EXPECT_EQ(csvExporter::escape("a\rb"), "\"a\rb\"");
    EXPECT_EQ(csvExporter::escape("a\r\nb"), "\"a\r\nb\"");
    EXPECT_EQ(csvExporter::escape("=1,2"), "\"'=1,2\"") << "the apostrophe goes inside the quotes";
    EXPECT_EQ(csvExporter::escape("Zoë’s thesis"), "Zoë’s thesis");
}

} // namespace
} // namespace kelvarn
