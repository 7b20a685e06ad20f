#include "support/Unicode.h"
#include "support/Lines.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(UnicodeTest, FoldsCaseAndDiacritics) {
    EXPECT_EQ(unicode::foldCaseAndDiacritics("Élise"), "elise");
    EXPECT_EQ(unicode::foldCaseAndDiacritics("Zoë Ñúñez"), "zoe nunez");
    EXPECT_EQ(unicode::foldCaseAndDiacritics("Đặng"), "đang");
    EXPECT_EQ(unicode::foldCaseAndDiacritics("Straße"), "strasse");
    EXPECT_EQ(unicode::foldCaseAndDiacritics("E\xCC\x81MILE"), "emile") << "decomposed input";
    EXPECT_EQ(unicode::foldCaseAndDiacritics("שלום 123"), "שלום 123");
}

TEST(UnicodeTest, RepairsInvalidUtf8) {
    EXPECT_EQ(unicode::repairUtf8("ok Zoë"), "ok Zoë");
    EXPECT_EQ(unicode::repairUtf8("a\xff"
                                  "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(unicode::repairUtf8("\xc3"), "\xEF\xBF\xBD");
    EXPECT_EQ(unicode::repairUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(unicode::foldCaseAndDiacritics("A\xff"), "a\xEF\xBF\xBD");
}

TEST(UnicodeTest, TrimsAndCountsCharacters) {
    EXPECT_EQ(unicode::trimWhitespace(" \t\n\u00a0Good\u2028 thesis \r\n"), "Good\u2028 thesis");
    EXPECT_EQ(unicode::trimWhitespace(" \n "), "");
    EXPECT_EQ(unicode::toLower("ÉLISE O’BRIEN"), "élise o’brien");
    EXPECT_EQ(unicode::characterCount("Zoë"), 3u);
    EXPECT_EQ(unicode::characterCount("Zoe\xCC\x88"), 3u) << "e plus combining diaeresis is one";
    EXPECT_EQ(unicode::characterCount("👩‍👩‍👧"), 1u);
    EXPECT_EQ(unicode::characterCount(""), 0u);
    EXPECT_EQ(unicode::characterCount("a\r\nb"), 3u) << "CR LF is one character";
    EXPECT_EQ(unicode::characterEnds(U"Zoe\u0308 O"), (std::vector<std::uint32_t>{1, 2, 4, 5, 6}));
    EXPECT_TRUE(unicode::characterEnds(U"Zoë Park").empty()) << "one code point each";
    EXPECT_EQ(unicode::toUtf8(unicode::toUtf32("Zoë 👩")), "Zoë 👩");
    EXPECT_EQ(unicode::toUtf8(U"a\xD800"), "a\uFFFD");
}

TEST(UnicodeTest, SplitsAndJoinsWords) {
    EXPECT_EQ(splitWords("\u00a0Nadia\t Ford\u2028"),
              (std::vector<std::string_view>{"Nadia", "Ford"}));
    EXPECT_EQ(splitAt(" a\tb  c ", ' '), (std::vector<std::string_view>{"a\tb", "c"}));
    EXPECT_EQ(join(std::vector<std::string>{"Nadia", "", "Ford"}), "Nadia  Ford");
    EXPECT_EQ(join(std::vector<std::string_view>{"a", "b"}, ", "), "a, b");
    EXPECT_EQ(join(std::vector<std::string>{}), "");
    EXPECT_TRUE(unicode::isWordCharacter(U'\u0301') && unicode::isWordCharacter(U'\u0663'));
    EXPECT_FALSE(unicode::isWordCharacter(U'_') || unicode::isWordCharacter(U'\u2019'));
}

} // namespace
} // namespace kelvarn
