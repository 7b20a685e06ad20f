#include "support/Unicode.h"

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
}

} // namespace
} // namespace kelvarn
