#include "support/Uuid.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(UuidTest, ParsesEitherCaseAndWritesUpperCase) {
    const auto lower = Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E"), lower);

    for (const char* bad :
         {"", "0f8fad5b-d9cb-469f-a165-70867728950", "0f8fad5bd9cb469fa16570867728950e",
          "0f8fad5b-d9cb-469f-a165-70867728950g", "0f8fad5b+d9cb-469f-a165-70867728950e",
          "0f8fad5b-d9cb-469f-a165-70867728950e0"}) {
        EXPECT_EQ(Uuid::parse(bad), std::nullopt) << bad;
    }
}

TEST(UuidTest, GeneratedIdsAreDistinctAndRoundTrip) {
    const Uuid a = Uuid::generate();
    const Uuid b = Uuid::generate();
    EXPECT_NE(a, b);
    EXPECT_EQ(Uuid::parse(a.toString()), a);
}

} // namespace
} // namespace kelvarn
