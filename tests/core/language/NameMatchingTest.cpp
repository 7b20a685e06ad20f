#include "language/NameMatching.h"
#include "language/CommandParser.h"
#include "language/Graphemes.h"

#include "support/ParserRoster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace kelvarn {
namespace {

using Ids = std::vector<Uuid>;

using Roster = testing::ParserRoster;

TEST(StringMeasuresTest, LevenshteinCountsCharacters) {
    EXPECT_EQ(levenshtein("kitten", "sitting"), 3u);
    EXPECT_EQ(levenshtein("", "abc"), 3u);
    EXPECT_EQ(levenshtein("abc", ""), 3u);
    EXPECT_EQ(levenshtein("", ""), 0u);
    EXPECT_EQ(levenshtein("zoë", "zoe"), 1u);
    EXPECT_EQ(levenshtein("zoe\xCC\x88", "zoë"), 1u) << "e + combining diaeresis is one character";
    EXPECT_EQ(levenshtein("👩‍👩‍👧", "x"), 1u);
    EXPECT_EQ(levenshtein("\xff", "\xfe"), 0u) << "both read as U+FFFD";
}

TEST(StringMeasuresTest, SoundexCodes) {
    EXPECT_EQ(soundex("robert"), "r163");
    EXPECT_EQ(soundex("rupert"), "r163");
    EXPECT_EQ(soundex("a"), "a000");
    EXPECT_EQ(soundex("123 !"), "");
    EXPECT_EQ(soundex(""), "");
    EXPECT_EQ(soundex("ashcraft"), "a261") << "h does not separate s and c";
    EXPECT_EQ(soundex("tymczak"), "t522") << "a vowel separates equal codes";
    EXPECT_EQ(soundex("pfister"), "p236") << "the first letter's code counts as previous";
    EXPECT_EQ(soundex("Robert"), "R163") << "the first letter is kept as it is";
    EXPECT_EQ(soundex("zoë"), "z000") << "a letter outside a to z has no code";
}

TEST(StringMeasuresTest, PhoneticKeys) {
    EXPECT_EQ(phonetic("thompson"), "tmpsn");
    EXPECT_EQ(phonetic(""), "");
    EXPECT_EQ(phonetic("123"), "");
    EXPECT_EQ(phonetic("Ophelia"), "ofl") << "the first character stays even if a vowel";
    EXPECT_EQ(phonetic("mitchell"), "mkl") << "tch becomes ch, then c becomes k";
    EXPECT_EQ(phonetic("schmidt"), "skmt");
    EXPECT_EQ(phonetic("xavier"), "ksfr");
    EXPECT_EQ(phonetic("anna"), "an");
    EXPECT_EQ(phonetic("bobbi"), "p") << "replacements apply to the first character too";
}

TEST(SimilarityTest, WordwiseSpellingSoundAndAnchors) {
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("nadia", "nadia"), 1.0);
    EXPECT_EQ(wordwiseSimilarity("jon", "john"), 0.0) << "short words only match exactly";
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("katherine", "catherine"), 1.0 - 1.0 / 9.0);
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("rupert", "robert"), 0.8) << "r = 0.67, equal Soundex";
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("fords", "forde"), 0.8) << "r = 0.8 exactly";
    EXPECT_EQ(wordwiseSimilarity("nadia", "nadia ford"), 0.0) << "word counts differ";
    // One identical word of 3+ characters anchors a pair and lets the others be loose.
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("nadia for", "nadia ford"), (1.0 + 0.7) / 2);
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("joe ann", "joe anne"), (1.0 + 0.7) / 2);
    EXPECT_EQ(wordwiseSimilarity("jo ann", "jo anne"), 0.0) << "jo is too short to anchor";
    EXPECT_EQ(wordwiseSimilarity("nadia xyz", "nadia ford"), 0.0) << "phonetic key too short";
    EXPECT_EQ(wordwiseSimilarity("nadia portman", "nadia ford"), 0.0) << "phonetic too far";
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("nadia fort", "nadia ford"), (1.0 + 0.7) / 2);
    EXPECT_DOUBLE_EQ(wordwiseSimilarity("  nadia   for ", "nadia ford"), (1.0 + 0.7) / 2);
    EXPECT_EQ(wordwiseSimilarity("", "nadia"), 0.0);
}

TEST(SimilarityTest, SquashedMatchesNamesSplitOrJoinedWrongly) {
    EXPECT_DOUBLE_EQ(squashedSimilarity("mc donald", "mcdonald"), 0.95);
    EXPECT_DOUBLE_EQ(squashedSimilarity("jo ann", "joann"), 0.95) << "equal, however short";
    EXPECT_DOUBLE_EQ(squashedSimilarity("vander berg", "vandenberg"), 0.8);
    EXPECT_EQ(squashedSimilarity("vanderberg", "vandenberg"), 0.0) << "no space on either side";
    EXPECT_EQ(squashedSimilarity("mc dona", "mcdonal"), 0.0) << "key shorter than 8";
    EXPECT_EQ(squashedSimilarity("nadia ford", "nadia lowe"), 0.0);
}

TEST(NameKeyTest, KeysOfOneToFourWordNames) {
    Roster roster;
    const Uuid anna = roster.add("Anna Maria López García");
    const Uuid ben = roster.add("Ben O’Neil");
    const Uuid cher = roster.add("Cher");
    roster.add("  !!! ");
    const CommandParser parser = roster.parser();
    const std::vector<NameKey> expected{
        {anna, "anna maria lopez garcia", true},
        {anna, "anna", false},
        {anna, "garcia", false},
        {anna, "maria lopez garcia", false},
        {anna, "anna garcia", false},
        {ben, "ben oneil", true},
        {ben, "ben", false},
        {ben, "oneil", false},
        {cher, "cher", true},
    };
    EXPECT_EQ(parser.nameKeys(), expected);
    EXPECT_EQ(parser.maxNameTokens(), 4u);
    EXPECT_EQ(CommandParser().maxNameTokens(), 1u);
    EXPECT_EQ(Roster{}.parser().nameKeys().size(), 0u);
}

TEST(MatchNameTest, ScoresBonusesAndTies) {
    EXPECT_EQ(CommandParser().matchName("nadia"), NameMatch{});

    Roster roster;
    const Uuid ford = roster.add("Nadia Ford");
    const Uuid lowe = roster.add("Nadia Lowe");
    const Uuid catherine = roster.add("Catherine");
    const Uuid john = roster.add("John Smith");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.matchName("nadia"), (NameMatch{{ford, lowe}, 1.0}));
    EXPECT_EQ(parser.matchName("nadia ford"), (NameMatch{{ford}, 1.0})) << "1.01 capped";
    EXPECT_EQ(parser.matchName("jon"), NameMatch{});
    EXPECT_EQ(parser.matchName("katherine"), (NameMatch{{catherine}, (1.0 - 1.0 / 9.0) + 0.01}));
    EXPECT_EQ(parser.matchName("nadia for"), (NameMatch{{ford}, (1.0 + 0.7) / 2 + 0.01}));
    EXPECT_EQ(parser.matchName("john  smith"), (NameMatch{{john}, 1.0}))
        << "not the key exactly, but every word is";
    EXPECT_EQ(parser.matchName(""), NameMatch{});

    Roster fords;
    const Uuid justFord = fords.add("Ford");
    const Uuid nadiaFord = fords.add("Nadia Ford");
    EXPECT_EQ(fords.parser().matchName("ford"), (NameMatch{{justFord, nadiaFord}, 1.0}))
        << "1.01 and 1.0 lie within the tie band";

    Roster squashed;
    const Uuid mcdonald = squashed.add("Mcdonald");
    EXPECT_EQ(squashed.parser().matchName("mc donald"), (NameMatch{{mcdonald}, 0.95 + 0.01}));
}

TEST(MatchNameTest, StudentsWithoutKeysAreNeverMatched) {
    Roster roster;
    roster.add("");
    roster.add("--- ...");
    roster.add("🙂");
    const CommandParser parser = roster.parser();
    EXPECT_TRUE(parser.nameKeys().empty());
    EXPECT_EQ(parser.matchName(""), NameMatch{});
    EXPECT_EQ(parser.matchName("🙂"), NameMatch{});
}

TEST(StudentsMentionedTest, PrefersTheLongestSpanThatNamesACandidate) {
    Roster roster;
    const Uuid ford = roster.add("Nadia Ford");
    const Uuid lowe = roster.add("Nadia Lowe");
    const Uuid ben = roster.add("Ben Okafor");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.studentsMentioned("I meant Nadia Ford", {ford, lowe}), Ids{ford});
    EXPECT_EQ(parser.studentsMentioned("the one called nadia", {lowe, ford}), (Ids{ford, lowe}));
    EXPECT_EQ(parser.studentsMentioned("Nadia Ford", {lowe}), Ids{lowe})
        << "the longest span names no candidate, so shorter spans are tried";
    EXPECT_EQ(parser.studentsMentioned("Ben and Nadia Lowe", {ben, lowe}), Ids{lowe});
    EXPECT_EQ(parser.studentsMentioned("", {ford}), Ids{});
    EXPECT_EQ(parser.studentsMentioned("nobody", {ford}), Ids{});
}

TEST(VocabularyTest, PhrasesAndNameKeysSortedOnce) {
    const std::vector<std::string> phrasesOnly = CommandParser().vocabulary();
    EXPECT_EQ(phrasesOnly.size(), 64u);
    EXPECT_TRUE(std::is_sorted(phrasesOnly.begin(), phrasesOnly.end()));
    EXPECT_TRUE(std::binary_search(phrasesOnly.begin(), phrasesOnly.end(), "un focus"));

    Roster roster;
    roster.add("Nadia Ford");
    roster.add("Nadia Lowe");
    roster.add("Style");
    const std::vector<std::string> all = roster.parser().vocabulary();
    EXPECT_EQ(all.size(), 64u + 5u) << "nadia once; style is a phrase already";
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

// The parser's prepared index must give exactly what a plain scan of every key gives.
NameMatch plainScan(const CommandParser& parser, const std::string& text) {
    std::vector<Uuid> order;
    std::map<Uuid, double> scores;
    for (const NameKey& key : parser.nameKeys()) {
        double similarity = text == key.key ? 1.0
                                            : std::max(wordwiseSimilarity(text, key.key),
                                                       squashedSimilarity(text, key.key));
        if (similarity <= 0) {
            continue;
        }
        if (key.isFullName) {
            similarity += name_matching::fullNameBonus;
        }
        if (std::find(order.begin(), order.end(), key.id) == order.end()) {
            order.push_back(key.id);
        }
        scores[key.id] =
            std::max(scores.contains(key.id) ? scores[key.id] : similarity, similarity);
    }
    if (scores.empty()) {
        return {};
    }
    double best = 0;
    for (const auto& [id, score] : scores) {
        best = std::max(best, score);
    }
    std::vector<std::pair<std::size_t, Uuid>> firstKeys;
    for (std::size_t i = 0; i < parser.nameKeys().size(); ++i) {
        firstKeys.emplace_back(i, parser.nameKeys()[i].id);
    }
    NameMatch out;
    for (const auto& [position, id] : firstKeys) {
        if (scores.contains(id) && scores[id] >= best - name_matching::tieBand &&
            std::find(out.ids.begin(), out.ids.end(), id) == out.ids.end()) {
            out.ids.push_back(id);
        }
    }
    out.score = std::min(best, 1.0);
    return out;
}

TEST(MatchNameTest, PreparedIndexAgreesWithThePlainScan) {
    const std::vector<std::string> given{"nadia", "ben",  "zoe",       "omar",  "lena",
                                         "ravi",  "maya", "jonas",     "ines",  "theo",
                                         "mark",  "anna", "katherine", "joann", "style"};
    const std::vector<std::string> family{"ford",     "okafor", "nguyen",     "alvarez",
                                          "mcdonald", "lowe",   "vandenberg", "garcia"};
    std::mt19937 random(20240601);
    const auto pick = [&](const std::vector<std::string>& words) {
        return words[random() % words.size()];
    };
    Roster roster;
    for (int i = 0; i < 30; ++i) {
        std::string name = pick(given);
        if (i % 5 == 0) {
            name += " " + pick(given);
        }
        if (i % 7 != 0) {
            name += " " + pick(family);
        }
        roster.add(name);
    }
    const CommandParser parser = roster.parser();
    const auto mangle = [&](std::string word) {
        switch (random() % 5) {
        case 0:
            word[random() % word.size()] = static_cast<char>('a' + random() % 26);
            break;
        case 1:
            word.erase(random() % word.size(), 1);
            break;
        case 2:
            word.insert(random() % (word.size() + 1), 1, static_cast<char>('a' + random() % 26));
            break;
        case 3:
            if (word.size() > 3) {
                word.insert(random() % (word.size() - 1) + 1, 1, ' ');
            }
            break;
        default:
            break;
        }
        return word;
    };
    int matched = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        std::string text;
        const int words = 1 + static_cast<int>(random() % 4);
        for (int w = 0; w < words; ++w) {
            const int source = static_cast<int>(random() % 3);
            std::string word = source == 0 ? pick(given) : source == 1 ? pick(family) : "student";
            if (!text.empty()) {
                text += random() % 10 == 0 ? "  " : " ";
            }
            text += mangle(word);
        }
        const NameMatch expected = plainScan(parser, text);
        ASSERT_EQ(parser.matchName(text), expected) << "text: \"" << text << "\"";
        matched += expected.ids.empty() ? 0 : 1;
    }
    EXPECT_GT(matched, 150) << "the trial texts should exercise real matches";
}

} // namespace
} // namespace kelvarn

namespace kelvarn {
namespace {

std::size_t plainDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
    }
    return d[a.size()][b.size()];
}

TEST(StringMeasuresTest, BoundedDistanceIsExactWithinItsLimit) {
    std::mt19937 random(99);
    const std::u32string alphabet = U"abcde\u00e9\u0430 "; // includes one beyond bucket range
    for (int trial = 0; trial < 5000; ++trial) {
        std::u32string a;
        std::u32string b;
        const std::size_t la = random() % 70; // past the stack buffer too
        const std::size_t lb = random() % 2 ? la + random() % 3 : random() % 70;
        for (std::size_t i = 0; i < la; ++i) {
            a.push_back(alphabet[random() % (trial % 2 ? 3 : alphabet.size())]);
        }
        b = a.substr(0, std::min(a.size(), lb));
        for (std::size_t i = b.size(); i < lb; ++i) {
            b.push_back(alphabet[random() % alphabet.size()]);
        }
        for (std::size_t edits = random() % 4; edits > 0 && !b.empty(); --edits) {
            b[random() % b.size()] = alphabet[random() % alphabet.size()];
        }
        const std::size_t expected = plainDistance(a, b);
        const std::size_t limit = random() % 12;
        const std::size_t bounded = levenshteinWithin(Graphemes(a), Graphemes(b), limit);
        if (expected <= limit) {
            ASSERT_EQ(bounded, expected) << trial;
        } else {
            ASSERT_GT(bounded, limit) << trial;
        }
    }
}

} // namespace
} // namespace kelvarn
