// "comment NAME" as the parser reads it, and short names matched as they are heard.
#include "language/CommentNames.h"
#include "language/CommandParser.h"
#include "support/ParserRoster.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Indexes = std::vector<std::size_t>;

TEST(CommentNamesTest, NamesAreHeardThroughCaseAccentsAndSmallMishearings) {
    const std::vector<Comment> bank{{"Thesis vague", "a"},
                                    {"Cite sources", "b"},
                                    {"Cite source", "c"},
                                    {"Résumé", "d"},
                                    {"Off topic", "e"}};
    EXPECT_EQ(comment_names::matching("THESIS   vague", bank), Indexes{0});
    EXPECT_EQ(comment_names::matching("theses vague", bank), Indexes{0});
    EXPECT_EQ(comment_names::matching("thesisvague", bank), Indexes{0})
        << "joined by the recogniser";
    EXPECT_EQ(comment_names::matching("resume", bank), Indexes{3});
    EXPECT_EQ(comment_names::matching("cite source", bank), Indexes{2})
        << "an exact name wins over a near one";
    EXPECT_EQ(comment_names::matching("cite sourced", bank), (Indexes{1, 2})) << "equally near";
    EXPECT_EQ(comment_names::matching("grammar", bank), Indexes{});
    EXPECT_EQ(comment_names::matching("of", bank), Indexes{}) << "too far from a short name";
    EXPECT_EQ(comment_names::matching("", bank), Indexes{});
}

TEST(CommentNamesTest, CommentEndsASentenceAfterNothingOrAfterCommands) {
    testing::ParserRoster roster;
    const Uuid nadia = roster.add("Nadia Ford");
    const CommandParser parser = roster.parser();
    using Sentences = std::vector<ParsedSentence>;

    EXPECT_EQ(parser.parse("Comment: thesis vague."),
              (Sentences{parsed::Commands{{commands::InsertComment{"thesis vague"}}}}));
    EXPECT_EQ(
        parser.parse("nadia ford intro comment thesis vague"),
        (Sentences{parsed::Commands{{commands::Student{nadia}, commands::Section{SectionID::intro},
                                     commands::InsertComment{"thesis vague"}}}}));
    EXPECT_EQ(parser.parse("um comment cite"),
              (Sentences{parsed::Commands{{commands::InsertComment{"cite"}}}}));

    // Otherwise dictation, as before.
    for (const char* note : {"Comment on the structure of the second paragraph.",
                             "Nice comment here about things.", "Comment."}) {
        const auto sentences = parser.parse(note);
        ASSERT_EQ(sentences.size(), 1u) << note;
        EXPECT_TRUE(std::holds_alternative<parsed::Note>(sentences[0])) << note;
    }
}

} // namespace
} // namespace kelvarn
