#include "tidy/TidyInstructions.h"

#include "settings/Preferences.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

class TidyInstructionsTest : public ::testing::Test {
protected:
    testing::TempFolder m_folder;
    Preferences m_preferences{QString::fromStdString((m_folder.path() / "Kelvarn.conf").string())};
};

TEST_F(TidyInstructionsTest, TheDefaultIsNeverStoredAndBlankTextMeansTheDefault) {
    EXPECT_EQ(defaultInstructions().toUtf8().size(), 337);
    EXPECT_EQ(instructions(m_preferences), defaultInstructions());

    setInstructions(m_preferences, QStringLiteral("  Be brief.\n"));
    EXPECT_EQ(instructions(m_preferences), QStringLiteral("  Be brief.\n")) << "as stored";
    EXPECT_EQ(m_preferences.string(QLatin1String(instructionsKey)),
              QStringLiteral("  Be brief.\n"));

    setInstructions(m_preferences, QStringLiteral(" \n\t\u2028 "));
    EXPECT_EQ(instructions(m_preferences), defaultInstructions());
    EXPECT_TRUE(m_preferences.string(QLatin1String(instructionsKey)).has_value());

    setInstructions(m_preferences, defaultInstructions());
    EXPECT_EQ(m_preferences.string(QLatin1String(instructionsKey)), std::nullopt);
}

TEST_F(TidyInstructionsTest, SurviveInTheFileAndEndTheSystemPromptWithTheReplyFormat) {
    setInstructions(m_preferences, QStringLiteral("Line one\nLine = two; [x]"));
    m_preferences.sync();
    const Preferences reopened(QString::fromStdString((m_folder.path() / "Kelvarn.conf").string()));
    EXPECT_EQ(instructions(reopened), QStringLiteral("Line one\nLine = two; [x]"));
    EXPECT_TRUE(Preferences().fileName().endsWith(QStringLiteral("/Kelvarn/Kelvarn.conf")))
        << "the user's own file, only looked at";

    EXPECT_EQ(
        systemPrompt(QStringLiteral("Be brief.")),
        QStringLiteral("Be brief.\n\nInput: a JSON object mapping rubric sections to notes. "
                       "[STUDENT] stands for the student's name; keep it exactly as written.\n"
                       "Reply with ONLY a JSON object with exactly the same keys, no prose, "
                       "no code fences."));
}

} // namespace
} // namespace kelvarn::tidy
