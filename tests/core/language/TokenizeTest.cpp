#include "language/CommandParser.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Tokens = std::vector<std::string>;

TEST(TokenizeTest, FoldsCaseDiacriticsAndApostrophes) {
    EXPECT_EQ(CommandParser::tokenize("Zoë Ñúñez"), (Tokens{"zoe", "nunez"}));
    EXPECT_EQ(CommandParser::tokenize("ĐẶNG Văn"), (Tokens{"đang", "van"}));
    EXPECT_EQ(CommandParser::tokenize("O’Brien let's"), (Tokens{"obrien", "lets"}));
    EXPECT_EQ(CommandParser::tokenize("E\xCC\x81MILE"), (Tokens{"emile"})) << "decomposed";
    EXPECT_EQ(CommandParser::tokenize("Straße"), (Tokens{"strasse"}));
}

TEST(TokenizeTest, SplitsAtEverythingButLettersMarksAndNumbers) {
    EXPECT_EQ(CommandParser::tokenize("Intro, mostly!"), (Tokens{"intro", "mostly"}));
    EXPECT_EQ(CommandParser::tokenize("3.5 points"), (Tokens{"3", "5", "points"}));
    EXPECT_EQ(CommandParser::tokenize("well-known_thing"), (Tokens{"well", "known", "thing"}));
    EXPECT_EQ(CommandParser::tokenize("hi 👩‍👩‍👧 there"), (Tokens{"hi", "there"}));
    EXPECT_EQ(CommandParser::tokenize("שלום עולם"), (Tokens{"שלום", "עולם"}));
    EXPECT_EQ(CommandParser::tokenize("मराठी"), (Tokens{"मराठी"})) << "spacing marks stay";
    EXPECT_EQ(CommandParser::tokenize("٣ apples"), (Tokens{"٣", "apples"}));
    EXPECT_TRUE(CommandParser::tokenize("").empty());
    EXPECT_TRUE(CommandParser::tokenize(" ... ?! — ").empty());
    EXPECT_TRUE(CommandParser::tokenize("''’").empty());
}

TEST(TokenizeTest, ReadsInvalidUtf8AsReplacementCharacters) {
    EXPECT_EQ(CommandParser::tokenize("ab\xff"
                                      "cd"),
              (Tokens{"ab", "cd"}));
    EXPECT_EQ(CommandParser::tokenize(std::string("x\0y", 3)), (Tokens{"x", "y"}));
}

TEST(SentencesTest, CutsAfterTerminatorsAndTrims) {
    using S = std::vector<std::string>;
    EXPECT_EQ(CommandParser::sentences("Intro. Mostly."), (S{"Intro.", "Mostly."}));
    EXPECT_EQ(CommandParser::sentences("a? b! c; d\ne"), (S{"a?", "b!", "c;", "d", "e"}));
    EXPECT_EQ(CommandParser::sentences("It is 3.5"), (S{"It is 3.", "5"}));
    EXPECT_EQ(CommandParser::sentences("..."), (S{".", ".", "."}));
    EXPECT_EQ(CommandParser::sentences("  \n  "), S{});
    EXPECT_EQ(CommandParser::sentences(""), S{});
    EXPECT_EQ(CommandParser::sentences("  no terminator  "), (S{"no terminator"}));
}

TEST(SentencesTest, TerminatorsCountOnlyAsWholeCharacters) {
    using S = std::vector<std::string>;
    // A combining mark makes the full stop part of another character; CR LF is one character.
    EXPECT_EQ(CommandParser::sentences("a.\xCC\x81 b"), (S{"a.\xCC\x81 b"}));
    EXPECT_EQ(CommandParser::sentences("one\r\ntwo"), (S{"one\r\ntwo"}));
    EXPECT_EQ(CommandParser::sentences("bad\xff. ok"), (S{"bad\xEF\xBF\xBD.", "ok"}));
}

} // namespace
} // namespace kelvarn
