#include "support/ControlCharacters.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(ControlCharactersTest, LineBreaksAndTabsBecomeSpaces) {
    EXPECT_EQ(oneLine("Ben\tOkafor"), "Ben Okafor");
    EXPECT_EQ(oneLine("a\nb\rc\vd\fe\u0085f\u2028g\u2029h"), "a b c d e f g h");
    EXPECT_EQ(oneLine("First paragraph.\r\n\r\nSecond."), "First paragraph.    Second.");
}

TEST(ControlCharactersTest, OtherControlsBecomeReplacementCharacters) {
    EXPECT_EQ(oneLine("\x1b]0;owned\x07Nadia"), "\uFFFD]0;owned\uFFFDNadia");
    EXPECT_EQ(oneLine("\x1b[2J\u009b31m"), "\uFFFD[2J\uFFFD31m");
    EXPECT_EQ(oneLine(std::string("a\0b\x7f", 4)), "a\uFFFDb\uFFFD");
    EXPECT_EQ(oneLine("bad \xff\xc3 bytes"), "bad \uFFFD\uFFFD bytes");
}

TEST(ControlCharactersTest, OrdinaryUnicodeTextPassesUnchanged) {
    for (const char* text :
         {"", "Nadia Ford", "Zoë Ñúñez", "Élise\u00a0Zorn", "e\u0301", "李小龍", "محمد",
          "👩🏽‍🎓 ✎ → “quoted” · —", "\uFFFD", "\u200d"}) {
        EXPECT_EQ(oneLine(text), text);
    }
}

} // namespace
} // namespace kelvarn
