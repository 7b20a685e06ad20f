#include "tidy/TidyTimeLimit.h"

#include "tidy/TidyOutcome.h"

#include "settings/Preferences.h"
#include "support/LocaleGuard.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

TEST(TidyTimeLimitTest, StoredSecondsCountOnlyAsALimitATimerCanHold) {
    testing::TempFolder folder;
    Preferences preferences(QString::fromStdString((folder.path() / "Kelvarn.conf").string()));
    EXPECT_EQ(timeLimit(preferences), 2min) << "nothing stored";

    const std::pair<const char*, std::chrono::milliseconds> cases[] = {
        {"0.3", 300ms}, {" 90 ", 90s},  {"86400", 24h}, {"86401", 2min}, {"0", 2min},
        {"-5", 2min},   {"soon", 2min}, {"inf", 2min},  {"nan", 2min},   {"", 2min},
    };
    for (const auto& [stored, limit] : cases) {
        preferences.setString(QLatin1String(timeLimitKey), QString::fromLatin1(stored));
        EXPECT_EQ(timeLimit(preferences), limit) << stored;
    }
}

TEST(TidyTimeLimitTest, ATimeOutSaysHowLongClaudeHadInWholeMinutesOrSeconds) {
    // Seconds with a full stop under a comma-decimal locale too.
    const testing::LocaleGuard german("de_DE.UTF-8");
    EXPECT_EQ(timedOutMessage("Pat Doe", 2min),
              "Claude didn't answer within 2 minutes: tidying notes for Pat Doe stopped — nothing "
              "changed.");
    EXPECT_THAT(timedOutMessage("Pat", 1min), HasSubstr("within 1 minute:"));
    EXPECT_THAT(timedOutMessage("Pat", 90s), HasSubstr("within 90 seconds:"));
    EXPECT_THAT(timedOutMessage("Pat", 1s), HasSubstr("within 1 second:"));
    EXPECT_THAT(timedOutMessage("Pat", 300ms), HasSubstr("within 0.3 seconds:"));
    EXPECT_EQ(cancelledMessage("Pat Doe"),
              "Tidying notes for Pat Doe cancelled — nothing changed.");
}

} // namespace
} // namespace kelvarn::tidy
