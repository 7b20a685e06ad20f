#include "persistence/JsonCodecs.h"
#include "support/Fixtures.h"
#include "support/JsonDecoding.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

Result<UndoEntry> decodeEntry(const std::string& text) {
    return json::decode<UndoEntry>(text, undoEntryFromJson);
}

TEST(UndoEntryTest, RoundTripsWithOptionalMembersOmitted) {
    UndoEntry full{testing::sessionWithStudents({"Ada"}),
                   "Evidence → Mostly",
                   "edit:x",
                   fromSecondsSinceReferenceDate(786000000.25),
                   7,
                   UndoEntry::Kind::note};
    const std::string text = json::dump(toJson(full));
    EXPECT_EQ(text.find("{\"session\":"), 0u);
    EXPECT_NE(text.find(R"("label":"Evidence → Mostly","coalesceKey":"edit:x","date":786000000.25,)"
                        R"("serial":7,"isNote":true})"),
              std::string::npos)
        << text;
    const auto decoded = decodeEntry(text);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), full);
    // A correction of a note is stored as a note; its label tells it apart again.
    UndoEntry correction = full;
    correction.label = std::string(correctedNoteLabelPrefix) + "Ada · overall: “x”";
    correction.kind = UndoEntry::Kind::correction;
    const auto reread = decodeEntry(json::dump(toJson(correction)));
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread.value().kind, UndoEntry::Kind::correction);

    UndoEntry bare{Session{}, "x", std::nullopt, fromSecondsSinceReferenceDate(0), {}, {}};
    EXPECT_EQ(json::dump(toJson(bare)),
              R"({"session":{"students":[],"focus":{}},"label":"x","date":0.0})");
    EXPECT_EQ(decodeEntry(json::dump(toJson(bare))).value(), bare);
    EXPECT_EQ(bare.serialOrZero(), 0);
}

TEST(UndoEntryTest, RejectsDamagedEntries) {
    const std::string session = R"("session":{"students":[],"focus":{}})";
    for (const std::string& text : std::vector<std::string>{
             "{" + session + R"(,"date":1})",
             "{" + session + R"(,"label":"x"})",
             R"({"label":"x","date":1})",
             "{" + session + R"(,"label":"x","date":"yesterday"})",
             "{" + session + R"(,"label":"x","date":1e300})",
             "{" + session + R"(,"label":"x","date":1,"serial":1.5})",
             "{" + session + R"(,"label":"x","date":1,"isNote":1})",
         }) {
        EXPECT_FALSE(decodeEntry(text)) << text;
    }
    const auto isNoteFalse =
        decodeEntry("{" + session + R"(,"label":"x","date":1,"isNote":false})");
    ASSERT_TRUE(isNoteFalse);
    EXPECT_EQ(isNoteFalse.value().kind, UndoEntry::Kind::other);
}

TEST(FeedItemTest, KindNamesAndJson) {
    EXPECT_EQ(kindName(FeedItem::Kind::question), "question");
    EXPECT_EQ(kindFromName("warning"), FeedItem::Kind::warning);
    EXPECT_EQ(kindFromName("Warning"), std::nullopt);

    const FeedItem item{Uuid::generate(), fromSecondsSinceReferenceDate(12.5), FeedItem::Kind::note,
                        "Good thesis"};
    const auto decoded = json::decode<FeedItem>(json::dump(toJson(item)), feedItemFromJson);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), item);
}

TEST(TimeTest, ReferenceDateAndIso8601) {
    EXPECT_EQ(iso8601(fromSecondsSinceReferenceDate(0)), "2001-01-01T00:00:00Z");
    EXPECT_EQ(iso8601(fromSecondsSinceReferenceDate(794412429.9)), "2026-03-05T14:07:09Z");
    EXPECT_DOUBLE_EQ(secondsSinceReferenceDate(fromSecondsSinceReferenceDate(123.456)), 123.456);
}

} // namespace
} // namespace kelvarn
