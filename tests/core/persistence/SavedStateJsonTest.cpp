#include "persistence/SavedStateJson.h"
#include "engine/UndoStack.h"
#include "persistence/JsonCodecs.h"
#include "persistence/SessionJson.h"
#include "support/Fixtures.h"
#include "support/JsonDecoding.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

UndoEntry entry(const std::string& label, std::optional<std::int64_t> serial, UndoEntry::Kind kind,
                std::optional<std::string> key = std::nullopt) {
    return UndoEntry{testing::sessionWithStudents({"Ada “A” Lovelace", "Ben"}),
                     label,
                     key,
                     fromSecondsSinceReferenceDate(780000000.5),
                     serial,
                     kind};
}

TEST(SavedStateJsonTest, KeptEncodingsMatchAFreshEncodingWhateverTheDate) {
    for (const UndoEntry& e :
         {entry("a", std::nullopt, UndoEntry::Kind::other),
          entry("b", 3, UndoEntry::Kind::other, "edit:x"), entry("c", 4, UndoEntry::Kind::note)}) {
        std::string pieced;
        appendEncodedUndoEntry(pieced, encodeUndoEntryParts(e), e.date);
        EXPECT_EQ(pieced, json::dump(toJson(e)));

        UndoEntry later = e;
        later.date += std::chrono::milliseconds(3250);
        std::string redated;
        appendEncodedUndoEntry(redated, encodeUndoEntryParts(e), later.date);
        EXPECT_EQ(redated, json::dump(toJson(later)));
    }
}

TEST(SavedStateJsonTest, RoundTripsAndRequiresBothMembers) {
    SavedState state{
        testing::sessionWithStudents({"Nadia Ford"}),
        {entry("x", 1, UndoEntry::Kind::note), entry("y", std::nullopt, UndoEntry::Kind::other)}};
    state.session.focus.studentID = state.session.students[0].id;
    const std::string text = encodeSavedState(state);
    EXPECT_EQ(text.rfind("{\"session\":{\"students\":", 0), 0u);
    const auto decoded = decodeSavedState(text);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), state);

    EXPECT_FALSE(decodeSavedState("{\"session\":" + encodeSession(state.session) + "}"));
    EXPECT_FALSE(decodeSavedState(R"({"undo":[]})"));
    EXPECT_FALSE(
        decodeSavedState("{\"session\":" + encodeSession(state.session) + R"(,"undo":{}})"));
    EXPECT_FALSE(decodeSavedState("{\"session\":" + encodeSession(state.session) +
                                  R"(,"undo":[{"label":"x","date":1}]})"));
}

TEST(SavedStateJsonTest, RejectsSerialsOutOfRangeAndStudentsSharingAnID) {
    const SavedState state{testing::sessionWithStudents({"Nadia Ford", "Ben"}),
                           {entry("x", 1, UndoEntry::Kind::other)}};
    const auto withSerial = [&](std::int64_t serial) {
        SavedState changed = state;
        changed.undo[0].serial = serial;
        return decodeSavedState(encodeSavedState(changed)).ok();
    };
    EXPECT_TRUE(withSerial(0));
    EXPECT_TRUE(withSerial(std::int64_t{1} << 53));
    EXPECT_FALSE(withSerial(-1));
    EXPECT_FALSE(withSerial((std::int64_t{1} << 53) + 1));
    EXPECT_FALSE(withSerial(INT64_MAX)) << "numbering after it would overflow";

    SavedState twins = state;
    twins.session.students.push_back(twins.session.students[0]);
    EXPECT_FALSE(decodeSavedState(encodeSavedState(twins)).ok());
    EXPECT_FALSE(decodeSession(encodeSession(twins.session)).ok());
    SavedState twinsInHistory = state;
    twinsInHistory.undo[0].session = twins.session;
    const auto decoded = decodeSavedState(encodeSavedState(twinsInHistory));
    ASSERT_FALSE(decoded.ok());
    EXPECT_NE(decoded.error().find(state.session.students[0].id.toString()), std::string::npos);
}

TEST(SavedStateJsonTest, UndoStackEncodesTheNewestEntriesAndFollowsChanges) {
    UndoStack stack(5);
    for (std::int64_t serial = 1; serial <= 7; ++serial) {
        stack.push(entry("step " + std::to_string(serial), serial, UndoEntry::Kind::other));
    }
    ASSERT_EQ(stack.size(), 5u);
    EXPECT_EQ(stack.front().serial, 3);

    const auto encoded = [&](std::size_t limit) {
        std::deque<std::string> scratch;
        std::string out;
        for (const auto piece : savedStatePieces({Session{}, stack.newest(limit)}, scratch)) {
            out += piece;
        }
        return nlohmann::json::parse(out)["undo"];
    };
    auto newest = encoded(3);
    ASSERT_EQ(newest.size(), 3u);
    EXPECT_EQ(newest[0]["serial"], 5);
    EXPECT_EQ(newest[2]["serial"], 7);

    stack.setNewestDate(fromSecondsSinceReferenceDate(790000000.0));
    EXPECT_EQ(encoded(3)[2]["date"], 790000000.0) << "a coalesced date is written anew";
    stack.popNewest();
    stack.push(entry("replacement", 8, UndoEntry::Kind::correction));
    newest = encoded(10);
    ASSERT_EQ(newest.size(), 5u);
    EXPECT_EQ(newest[4]["label"], "replacement");
    EXPECT_EQ(newest[4]["isNote"], true);
}

} // namespace
} // namespace kelvarn
