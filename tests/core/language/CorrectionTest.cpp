#include "language/Correction.h"
#include "language/CommandParser.h"
#include "language/CorrectionJson.h"
#include "support/Unicode.h"

#include <gtest/gtest.h>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace kelvarn {
namespace {

Correction rule(std::string heard, std::string replacement) {
    return Correction(heard, replacement);
}

TEST(CorrectionTest, MadeRulesAreNormalised) {
    const Correction made("  Nadir,  FÖRD’s ", "  Nadia Ford \n");
    EXPECT_EQ(made.heard, "nadir fords");
    EXPECT_EQ(made.replacement, "Nadia Ford");
    EXPECT_NE(made.id, Correction("nadir", "Nadia").id) << "every rule gets a new id";
}

TEST(CorrectionTest, RewritesWholeWordsWithSeparatorsBetween) {
    EXPECT_EQ(Correction::apply({rule("nadia for", "Nadia Ford")}, "I think Nadia, for the intro"),
              "I think Nadia Ford the intro");
    EXPECT_EQ(Correction::apply({rule("nadia for", "Nadia Ford")}, "nadia -:; for. Nadia\tfor"),
              "Nadia Ford. Nadia Ford");
    const std::vector<Correction> ford{rule("ford", "Forde")};
    EXPECT_EQ(Correction::apply(ford, "Bradford and fords"), "Bradford and fords");
    EXPECT_EQ(Correction::apply(ford, "FORD."), "Forde.");
    EXPECT_EQ(Correction::apply(ford, "ford2 _ford_ ford"), "ford2 _Forde_ Forde")
        << "digits block a match, punctuation does not";
    EXPECT_EQ(Correction::apply({rule("jose", "José")}, "José and JOSE"), "José and José")
        << "case-insensitive but not diacritic-insensitive";
    // A combining mark is part of a word for the tokenizer, so it blocks a match as a letter does.
    EXPECT_EQ(CommandParser::tokenize("Cafe\u0301 noir").size(), 2u);
    EXPECT_EQ(Correction::apply({rule("cafe", "X")}, "cafe\u0301 cafe"), "cafe\u0301 X");
    EXPECT_EQ(Correction::apply({}, "unchanged"), "unchanged");
    EXPECT_EQ(Correction::apply(ford, ""), "");
}

TEST(CorrectionTest, ReplacementsAreWrittenLiterally) {
    EXPECT_EQ(Correction::apply({rule("price", "$1 \\1 $0")}, "the price"), "the $1 \\1 $0");
    EXPECT_EQ(Correction::apply({rule("x", "\\")}, "x"), "\\");
}

TEST(CorrectionTest, HeardTextMatchesLiterally) {
    // Rules read from a file may hold anything in heard; metacharacters match themselves.
    const Correction brackets(Uuid::generate(), "(a+b) [x] \\d $ *", "ok");
    EXPECT_EQ(Correction::apply({brackets}, "see (a+b), [x] \\d $ * end"), "see ok end");
    EXPECT_EQ(Correction::apply({brackets}, "see aab x d"), "see aab x d");
    const Correction dot(Uuid::generate(), "a.c", "ok");
    EXPECT_EQ(Correction::apply({dot}, "abc a.c"), "abc ok");
    EXPECT_EQ(Correction::apply({Correction(Uuid::generate(), "   ", "x")}, "a   b"), "a   b")
        << "no words: skipped";
    EXPECT_EQ(Correction::apply({Correction(Uuid::generate(), "\\E\\Q)", "ok")}, "(\\E\\Q)"),
              "(ok");
}

TEST(CorrectionTest, LongerRulesActFirstAndLaterRulesSeeTheirOutput) {
    const std::vector<Correction> rules{rule("ford", "Forde"), rule("nadia ford", "Nadia Ford")};
    EXPECT_EQ(Correction::apply(rules, "nadia ford"), "Nadia Forde");
    // Equal lengths keep list order.
    EXPECT_EQ(Correction::apply({rule("abc", "xyz"), rule("xyz", "done")}, "abc"), "done");
    EXPECT_EQ(Correction::apply({rule("xyz", "done"), rule("abc", "xyz")}, "abc"), "xyz");
}

TEST(CorrectionTest, SurvivesHostileText) {
    const std::vector<Correction> rules{rule("ford", "Forde"), rule("zoe", "Zoë")};
    EXPECT_EQ(Correction::apply(rules, "ford\xff zoe"), "Forde\xEF\xBF\xBD Zoë");
    EXPECT_EQ(Correction::apply(rules, "שלום ford 🙂"), "שלום Forde 🙂");
    std::string longText;
    for (int i = 0; i < 10000; ++i) {
        longText += "word ";
    }
    longText += "ford";
    const std::string rewritten = Correction::apply(rules, longText);
    EXPECT_EQ(rewritten.substr(rewritten.size() - 5), "Forde") << "the end of a long text";

    // A rule of separator-only words against a long run of separators backtracks
    // exponentially; the time limit gives the rule up instead of hanging.
    const Correction commas(Uuid::generate(), ", , , , , , , , , , , ,", "x");
    const std::string separators(3000, ',');
    const std::string out =
        Correction::apply({commas, rule("ford", "Forde")}, separators + "a ford");
    EXPECT_EQ(out.substr(out.size() - 5), "Forde");
}

// The rule's pattern taken literally: compiled for every rule, greedy separators, every heard
// character escaped as \x{…}, the boundary classes under case-insensitive matching.
std::string literalApply(std::vector<Correction> rules, const std::string& text) {
    std::stable_sort(rules.begin(), rules.end(), [](const Correction& a, const Correction& b) {
        return unicode::characterCount(a.heard) > unicode::characterCount(b.heard);
    });
    icu::UnicodeString result = icu::UnicodeString::fromUTF8(text);
    for (const Correction& rule : rules) {
        icu::UnicodeString pattern(u"(?<![\\p{L}\\p{M}\\p{N}])");
        bool any = false;
        std::size_t start = 0;
        while (start <= rule.heard.size()) {
            std::size_t end = rule.heard.find(' ', start);
            end = end == std::string::npos ? rule.heard.size() : end;
            if (end > start) {
                if (any) {
                    pattern.append(u"[\\s,.;:\\-]+");
                }
                any = true;
                const icu::UnicodeString word =
                    icu::UnicodeString::fromUTF8(rule.heard.substr(start, end - start));
                for (int32_t i = 0; i < word.length(); i = word.moveIndex32(i, 1)) {
                    char escaped[16];
                    std::snprintf(escaped, sizeof escaped, "\\x{%X}",
                                  static_cast<unsigned>(word.char32At(i)));
                    pattern.append(icu::UnicodeString(escaped, -1, US_INV));
                }
            }
            start = end + 1;
        }
        if (!any) {
            continue;
        }
        pattern.append(u"(?![\\p{L}\\p{M}\\p{N}])");
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(
            new icu::RegexMatcher(pattern, result, UREGEX_CASE_INSENSITIVE, status));
        icu::UnicodeString replacement;
        const icu::UnicodeString raw = icu::UnicodeString::fromUTF8(rule.replacement);
        for (int32_t i = 0; i < raw.length(); ++i) {
            if (raw[i] == u'\\' || raw[i] == u'$') {
                replacement.append(u'\\');
            }
            replacement.append(raw[i]);
        }
        icu::UnicodeString rewritten = matcher->replaceAll(replacement, status);
        if (U_SUCCESS(status)) {
            result = rewritten;
        }
    }
    std::string out;
    result.toUTF8String(out);
    return out;
}

std::string describe(const std::vector<Correction>& rules) {
    std::string out;
    for (const Correction& rule : rules) {
        out += "\"" + rule.heard + "\" → \"" + rule.replacement + "\"; ";
    }
    return out;
}

TEST(CorrectionTest, AgreesWithThePatternTakenLiterally) {
    // Characters where case folding, boundaries or separators could make a difference:
    // U+0345 folds to iota, so the case-insensitive boundary class counts it as a letter.
    const std::vector<std::string> alphabet{
        "a",       "b", "ss",  "ß", "ẞ", "S", "\u0345", "ι",  "-", ",", " ", " ",  ".", "1", "é",
        "e\u0301", "ﬃ", "ffi", "İ", "i", "$", "(",      "\\", "Σ", "ς", "σ", "\t", ":", "٣", "ǅ"};
    std::mt19937 random(7);
    const auto word = [&](std::size_t most) {
        std::string out;
        const std::size_t n = 1 + random() % most;
        for (std::size_t i = 0; i < n; ++i) {
            out += alphabet[random() % alphabet.size()];
        }
        return out;
    };
    int rewritten = 0;
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<Correction> rules;
        for (int r = 0; r < 2; ++r) {
            std::string heard = word(3);
            if (random() % 2 == 0) {
                heard += " " + word(2);
            }
            rules.emplace_back(Uuid::generate(), heard, random() % 3 == 0 ? "$1\\" : word(2));
            if (random() % 2 == 0) { // also rules as the system makes them
                rules.emplace_back(heard, word(2));
            }
        }
        const std::string text = word(12) + " " + rules[0].heard + " " + word(12);
        rewritten += Correction::apply(rules, text) != text ? 1 : 0;
        ASSERT_EQ(Correction::apply(rules, text), literalApply(rules, text))
            << "text: \"" << text << "\" rules: " << describe(rules);
    }
    EXPECT_GT(rewritten, 100);
    EXPECT_EQ(Correction::apply({rule("ford", "Forde")}, "\u0345ford ford\u0345 ford"),
              "\u0345ford ford\u0345 Forde");
}

TEST(CorrectionTest, SuggestsTheChangedStretch) {
    const auto nadia =
        Correction::suggested("good work by nadir ford today", "good work by Nadia Ford today");
    ASSERT_TRUE(nadia);
    EXPECT_EQ(nadia->heard, "nadir");
    EXPECT_EQ(nadia->replacement, "Nadia");

    const auto elise =
        Correction::suggested("the claims from a lease are weak", "the claims from Elise are weak");
    ASSERT_TRUE(elise);
    EXPECT_EQ(elise->heard, "a lease");
    EXPECT_EQ(elise->replacement, "Elise");

    const auto trimmed = Correction::suggested("I met Jon", "I met “Jonne”!");
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(trimmed->heard, "jon");
    EXPECT_EQ(trimmed->replacement, "Jonne") << "punctuation trimmed at both ends";

    EXPECT_NE(Correction::suggested("a b", "a c")->id, Correction::suggested("a b", "a c")->id);
}

TEST(CorrectionTest, SuggestsNothingForCosmeticOrLargeFixes) {
    EXPECT_FALSE(Correction::suggested("intro mostly", "intro mostly"));
    EXPECT_FALSE(Correction::suggested("intro mostly", "Intro mostly."));
    EXPECT_FALSE(Correction::suggested("zoe", "Zoë"));
    EXPECT_FALSE(Correction::suggested("", "something"));
    EXPECT_FALSE(Correction::suggested("something", ""));
    EXPECT_FALSE(Correction::suggested("a b", "a b c")) << "nothing changed on the heard side";
    EXPECT_FALSE(Correction::suggested("x 1 2 3 4 5 6 7 y", "x a y")) << "seven heard words";
    EXPECT_FALSE(Correction::suggested("x a y", "x 1 2 3 4 5 6 7 y")) << "seven corrected words";
    EXPECT_TRUE(Correction::suggested("x 1 2 3 4 5 6 y", "x a y")) << "six is allowed";
    EXPECT_FALSE(Correction::suggested("the end", "the !!!")) << "replacement only punctuation";
    EXPECT_FALSE(Correction::suggested("the !!!", "the end")) << "heard normalises to nothing";
    EXPECT_FALSE(Correction::suggested("\xff\xfe", "\xff\xfe"));
}

TEST(CorrectionJsonTest, EncodesCompactlyInMemberOrder) {
    const Uuid id = *Uuid::parse("0b6c3b1e-2f1a-4c8e-9d3a-5e7f00112233");
    const std::vector<Correction> rules{Correction(id, "nadir", "Nadia \"N\" Ford")};
    const std::string text = encodeCorrections(rules);
    EXPECT_EQ(text, "[{\"id\":\"0B6C3B1E-2F1A-4C8E-9D3A-5E7F00112233\",\"heard\":\"nadir\","
                    "\"replacement\":\"Nadia \\\"N\\\" Ford\"}]");
    const auto decoded = decodeCorrections(text);
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded.value(), rules);
    EXPECT_EQ(encodeCorrections({}), "[]");
    ASSERT_TRUE(decodeCorrections("[]").ok());
    EXPECT_TRUE(decodeCorrections("[]").value().empty());
}

TEST(CorrectionJsonTest, RejectsIncompleteRules) {
    EXPECT_FALSE(decodeCorrections("[{\"id\":\"0B6C3B1E-2F1A-4C8E-9D3A-5E7F00112233\","
                                   "\"heard\":\"x\"}]")
                     .ok());
    EXPECT_FALSE(
        decodeCorrections("[{\"id\":\"nope\",\"heard\":\"x\",\"replacement\":\"y\"}]").ok());
    EXPECT_FALSE(decodeCorrections("{}").ok());
    EXPECT_FALSE(decodeCorrections("").ok());
    EXPECT_FALSE(decodeCorrections("[1]").ok());
}

} // namespace
} // namespace kelvarn
