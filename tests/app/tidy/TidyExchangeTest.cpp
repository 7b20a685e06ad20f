#include "tidy/TidyExchange.h"

#include <gtest/gtest.h>

namespace kelvarn::tidy {
namespace {

StudentRecord student(std::string name) {
    return StudentRecord(Uuid::generate(), std::move(name));
}

TEST(TidyExchangeTest, SendsEveryNonEmptySectionAndTheOverallNotesRedactedWithKeysInOrder) {
    StudentRecord pat = student("Pat Doe");
    pat.sections[SectionID::style].notes = "Pat writes clearly";
    pat.sections[SectionID::claims].notes = " ";
    pat.sections[SectionID::evidence].notes = "";
    pat.sections[SectionID::intro].level = Level::complete;
    pat.overallNotes = "doe: \"good\"\n";
    const TidyInput input = tidyInput(pat);
    EXPECT_EQ(input, (TidyInput{{"claims", " "},
                                {"overall", "[STUDENT]: \"good\"\n"},
                                {"style", "[STUDENT] writes clearly"}}));
    EXPECT_EQ(
        promptText(input).value(),
        R"({"claims":" ","overall":"[STUDENT]: \"good\"\n","style":"[STUDENT] writes clearly"})");

    StudentRecord overallOnly = student("Ann");
    overallOnly.overallNotes = "fine";
    EXPECT_EQ(promptText(tidyInput(overallOnly)).value(), R"({"overall":"fine"})");
    EXPECT_TRUE(tidyInput(student("Empty")).empty());
}

TEST(TidyExchangeTest, ReadsTheObjectAmidProseAndFencesKeepingOnlySentKeys) {
    StudentRecord pat = student("Pat Doe");
    const TidyInput sent{{"intro", "x"}, {"overall", "y"}, {"style", "z"}};
    const Result<TidiedNotes> read = readReply(
        "Sure! Here it is:\n```json\n{\"intro\": \"[STUDENT] did well.\", \"overall\": \"Fine.\","
        " \"summary\": \"extra\", \"claims\": \"never sent\"}\n```\nAnything else?",
        pat, sent);
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read.value(), (TidiedNotes{{SectionNotes{pat.id, SectionID::intro}, "Pat did well."},
                                         {OverallNotes{pat.id}, "Fine."}}))
        << "style left out stays as it is; summary and claims ignored";

    const Result<TidiedNotes> spaced =
        readReply("{\"style\": \"  kept untrimmed \\n\"}", pat, sent);
    EXPECT_EQ(spaced.value().at(SectionNotes{pat.id, SectionID::style}), "  kept untrimmed \n");
}

TEST(TidyExchangeTest, RefusesRepliesWithoutAnObjectOfStringsAndQuotesTheirBeginning) {
    const StudentRecord pat = student("Pat");
    const TidyInput sent{{"intro", "x"}};
    for (const std::string reply :
         {"no json here", "} backwards {", "{\"intro\": 1}", "{\"intro\": \"a\", \"extra\": null}",
          "{\"intro\": \"a\"", "{not json}", ""}) {
        const Result<TidiedNotes> read = readReply(reply, pat, sent);
        ASSERT_FALSE(read) << reply;
        EXPECT_EQ(read.error(), "Couldn't read Claude's reply:\n" + reply);
    }

    EXPECT_EQ(readReply("\x90 {", pat, sent).error(), "Couldn't read Claude's reply:\n\uFFFD {")
        << "the message is text even when the reply is not";

    const std::string deep =
        "{\"intro\": " + std::string(100'000, '[') + std::string(100'000, ']') + "}";
    EXPECT_FALSE(readReply(deep, pat, sent)) << "deeply nested, and not a string";

    // 300 user-perceived characters: a letter with a combining accent counts once.
    std::string accented;
    for (int i = 0; i < 400; ++i) {
        accented += "e\xCC\x81";
    }
    const Result<TidiedNotes> read = readReply(accented, pat, sent);
    EXPECT_EQ(read.error(), "Couldn't read Claude's reply:\n" + accented.substr(0, 300 * 3));
}

} // namespace
} // namespace kelvarn::tidy
