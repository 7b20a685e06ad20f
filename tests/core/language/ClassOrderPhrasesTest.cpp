// Students picked by their place in the class, and the next one still to grade, as the parser
// reads them among names, phrases and notes.
#include "language/ClassOrderPhrases.h"
#include "language/CommandParser.h"
#include "support/ParserRoster.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

using Sentences = std::vector<ParsedSentence>;

// One sentence of these commands.
Sentences one(std::vector<Command> list) {
    return {parsed::Commands{std::move(list)}};
}

TEST(ClassOrderPhrasesTest, StudentNumberSpokenOrWrittenIsThatStudentAndCanStartAChain) {
    testing::ParserRoster roster;
    const Uuid nadia = roster.add("Nadia Ford");
    const Uuid omar = roster.add("Omar Haddad");
    std::vector<Uuid> ids{nadia, omar};
    for (int i = 3; i <= 21; ++i) {
        ids.push_back(roster.add("Cole " + std::string(3, static_cast<char>('a' + i))));
    }
    const CommandParser parser = roster.parser();

    EXPECT_EQ(parser.parse("student two"), one({commands::Student{omar}}));
    EXPECT_EQ(parser.parse("Student 2."), one({commands::Student{omar}}));
    EXPECT_EQ(parser.parse("student number one"), one({commands::Student{nadia}}));
    EXPECT_EQ(parser.parse("student twenty one"), one({commands::Student{ids[20]}}))
        << "a ten and a unit are one number";
    EXPECT_EQ(parser.parse("student twenty-one"), one({commands::Student{ids[20]}}));
    EXPECT_EQ(parser.parse("student twenty"), one({commands::Student{ids[19]}}));
    EXPECT_EQ(parser.parse("student two conclusion mostly"),
              one({commands::Student{omar}, commands::Section{SectionID::conclusion},
                   commands::Level{Level::mostly}}));

    // Past the end of the class: a refusal, not a note filed on whoever is focused.
    EXPECT_EQ(parser.parse("student twenty two intro complete"),
              one({commands::NoSuchStudent{22}, commands::Section{SectionID::intro},
                   commands::Level{Level::complete}}));
    EXPECT_EQ(parser.parse("student 0"), (Sentences{parsed::Note{"student 0"}}));
    EXPECT_EQ(parser.parse("student 1234567"), (Sentences{parsed::Note{"student 1234567"}}));
    EXPECT_EQ(parser.parse("two students were absent"),
              (Sentences{parsed::Note{"two students were absent"}}));
    EXPECT_TRUE(parser.readsAsCommands("student three"));
}

TEST(ClassOrderPhrasesTest, NextUngradedWithOrWithoutStudentAndTheOldPhrasesAsTheyWere) {
    testing::ParserRoster roster;
    const Uuid nadia = roster.add("Nadia Ford");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.parse("next ungraded"), one({commands::NextUngraded{}}));
    EXPECT_EQ(parser.parse("Next ungraded student."), one({commands::NextUngraded{}}));
    EXPECT_EQ(parser.parse("next ungraded mostly"),
              one({commands::NextUngraded{}, commands::Level{Level::mostly}}));
    EXPECT_EQ(parser.parse("next student"), one({commands::NextStudent{}}));
    EXPECT_EQ(parser.parse("nadia ford next section"),
              one({commands::Student{nadia}, commands::NextSection{}}));
    EXPECT_EQ(parser.phrases().size(), 64u) << "the phrase table is the same for every class";
}

TEST(ClassOrderPhrasesTest, NumbersInWordsAndTheRecognisersHints) {
    for (std::size_t n = 1; n <= 99; ++n) {
        const std::string words = class_order::numberWords(n);
        ASSERT_FALSE(words.empty()) << n;
        const auto read = class_order::numberAt(CommandParser::tokenize(words), 0);
        ASSERT_TRUE(read.has_value()) << words;
        EXPECT_EQ(read->value, n) << words;
    }
    EXPECT_EQ(class_order::numberWords(0), "");
    EXPECT_EQ(class_order::numberWords(100), "");

    const auto hints = class_order::vocabulary(3);
    EXPECT_EQ(hints, (std::vector<std::string>{"next ungraded", "next ungraded student",
                                               "student one", "student two", "student three"}));
    EXPECT_EQ(class_order::vocabulary(250).size(), 2u + 99u) << "words go up to ninety-nine";
}

} // namespace
} // namespace kelvarn
