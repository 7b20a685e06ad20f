#include "language/NameMatching.h"

#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <vector>

namespace kelvarn {

namespace {

bool isLetter(std::u32string_view character) {
    return !character.empty() &&
           u_hasBinaryProperty(static_cast<UChar32>(character.front()), UCHAR_ALPHABETIC);
}

std::u32string lowerCased(const std::u32string& text) {
    if (std::all_of(text.begin(), text.end(), [](char32_t c) { return c < 0x80; })) {
        std::u32string out = text;
        for (char32_t& c : out) {
            if (c >= U'A' && c <= U'Z') {
                c += U'a' - U'A';
            }
        }
        return out;
    }
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF32(
        reinterpret_cast<const UChar32*>(text.data()), static_cast<int32_t>(text.size()));
    unicode.toLower(icu::Locale::getRoot());
    std::u32string out;
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        out.push_back(static_cast<char32_t>(unicode.char32At(i)));
    }
    return out;
}

std::u32string lettersOf(const Graphemes& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::u32string_view character = text.at(i);
        if (isLetter(character)) {
            out.append(character);
        }
    }
    return out;
}

char soundexCode(std::u32string_view character) {
    if (character.size() != 1 || character[0] < U'a' || character[0] > U'z') {
        return 0;
    }
    static constexpr std::string_view codes = "01230120022455012623010202";
    const char code = codes[static_cast<std::size_t>(character[0] - U'a')];
    return code == '0' ? 0 : code;
}

void replaceAll(std::u32string& text, std::u32string_view from, std::u32string_view to) {
    std::u32string out;
    out.reserve(text.size() + text.size() / 2);
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::u32string::npos;
         found = text.find(from, start)) {
        out.append(text, start, found - start);
        out.append(to);
        start = found + from.size();
    }
    out.append(text, start, std::u32string::npos);
    text = std::move(out);
}

std::vector<Graphemes> wordsOf(std::string_view text) {
    std::vector<Graphemes> words;
    for (const std::string_view word : splitWords(text)) {
        words.emplace_back(unicode::toUtf32(word));
    }
    return words;
}

SquashedText squashedOf(std::string_view text) {
    std::u32string all = unicode::toUtf32(text);
    SquashedText out;
    out.hadSpace = std::find(all.begin(), all.end(), U' ') != all.end();
    all.erase(std::remove(all.begin(), all.end(), U' '), all.end());
    out.text = Graphemes(std::move(all));
    return out;
}

} // namespace

namespace name_matching {

std::string soundexOf(const Graphemes& s) {
    std::vector<std::u32string_view> letters;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isLetter(s.at(i))) {
            letters.push_back(s.at(i));
        }
    }
    if (letters.empty()) {
        return {};
    }
    std::u32string result(letters.front());
    std::size_t length = 1;
    char previous = soundexCode(letters.front());
    for (std::size_t i = 1; i < letters.size() && length < 4; ++i) {
        const char code = soundexCode(letters[i]);
        if (code != 0 && code != previous) {
            result.push_back(static_cast<char32_t>(code));
            ++length;
        }
        if (letters[i] != U"h" && letters[i] != U"w") {
            previous = code;
        }
    }
    result.append(4 - length, U'0');
    return unicode::toUtf8(result);
}

Graphemes phoneticOf(const Graphemes& s) {
    std::u32string text = lettersOf(Graphemes(lowerCased(s.codePoints())));
    static constexpr std::array<std::pair<std::u32string_view, std::u32string_view>, 14> rules{{
        {U"tch", U"ch"},
        {U"gh", U"g"},
        {U"ph", U"f"},
        {U"th", U"t"},
        {U"ck", U"k"},
        {U"sch", U"sk"},
        {U"c", U"k"},
        {U"q", U"k"},
        {U"z", U"s"},
        {U"x", U"ks"},
        {U"v", U"f"},
        {U"j", U"g"},
        {U"d", U"t"},
        {U"b", U"p"},
    }};
    for (const auto& [from, to] : rules) {
        if (text.find(from) != std::u32string::npos) {
            replaceAll(text, from, to);
        }
    }
    if (text.empty()) {
        return {};
    }
    const Graphemes characters(std::move(text));
    std::u32string kept(characters.at(0));
    std::u32string_view last = characters.at(0);
    for (std::size_t i = 1; i < characters.size(); ++i) {
        const std::u32string_view character = characters.at(i);
        const bool silent =
            character.size() == 1 &&
            std::u32string_view(U"aeiouyhw").find(character[0]) != std::u32string_view::npos;
        if (silent || character == last) {
            continue;
        }
        kept.append(character);
        last = character;
    }
    return Graphemes(std::move(kept));
}

double looseWordScore(const AnalysedWord& x, const AnalysedWord& y) {
    const std::size_t longer = std::max(x.text.size(), y.text.size());
    const long limit = maxDistanceFor(spellingSimilarityWithEqualSoundex, longer);
    bool closeEnough = false; // r ≥ 0.6
    double r = 0;
    if (limit >= 0) {
        const std::size_t distance =
            levenshteinWithin(x.text, y.text, static_cast<std::size_t>(limit));
        closeEnough = distance <= static_cast<std::size_t>(limit);
        r = 1.0 - static_cast<double>(distance) / static_cast<double>(longer);
    }
    if (x.text.size() >= minimumSpellingWordLength && y.text.size() >= minimumSpellingWordLength) {
        if (closeEnough && r >= spellingSimilarityAccepted) {
            return r;
        }
        if (closeEnough && x.soundex == y.soundex) {
            return equalSoundexScore;
        }
    }
    if (closeEnough) {
        return anchoredOnly;
    }
    if (x.phonetic.size() < minimumPhoneticLength) {
        return 0;
    }
    if (levenshteinWithin(x.phonetic, y.phonetic, phoneticDistanceLimit - 1) >=
        phoneticDistanceLimit) {
        return 0;
    }
    return anchoredOnly;
}

double squashed(const SquashedText& heard, const SquashedText& key) {
    if (heard.text == key.text) {
        return squashedExactScore;
    }
    if (key.text.size() < squashedMinimumKeyLength) {
        return 0;
    }
    if (!heard.hadSpace && !key.hadSpace) {
        return 0;
    }
    const std::size_t longer = std::max(heard.text.size(), key.text.size());
    const long limit = maxDistanceFor(squashedSpellingSimilarity, longer);
    if (limit < 0 || levenshteinWithin(heard.text, key.text, static_cast<std::size_t>(limit)) >
                         static_cast<std::size_t>(limit)) {
        return 0;
    }
    const Graphemes& heardKey = heard.phonetic();
    const Graphemes& keyKey = key.phonetic();
    const std::size_t phoneticLonger =
        std::max({heardKey.size(), keyKey.size(), static_cast<std::size_t>(1)});
    const long phoneticLimit = maxDistanceFor(squashedPhoneticSimilarity, phoneticLonger);
    if (phoneticLimit < 0 ||
        levenshteinWithin(heardKey, keyKey, static_cast<std::size_t>(phoneticLimit)) >
            static_cast<std::size_t>(phoneticLimit)) {
        return 0;
    }
    return squashedMatchScore;
}

} // namespace name_matching

AnalysedWord AnalysedWord::of(Graphemes text) {
    AnalysedWord word;
    word.soundex = name_matching::soundexOf(text);
    word.phonetic = name_matching::phoneticOf(text);
    word.text = std::move(text);
    return word;
}

const Graphemes& SquashedText::phonetic() const {
    if (!m_phoneticReady) {
        m_phonetic = name_matching::phoneticOf(text);
        m_phoneticReady = true;
    }
    return m_phonetic;
}

std::size_t levenshtein(std::string_view a, std::string_view b) {
    const Graphemes x = Graphemes::fromUtf8(a);
    const Graphemes y = Graphemes::fromUtf8(b);
    return levenshteinWithin(x, y, std::max(x.size(), y.size()));
}

std::string soundex(std::string_view s) {
    return name_matching::soundexOf(Graphemes::fromUtf8(s));
}

std::string phonetic(std::string_view s) {
    return name_matching::phoneticOf(Graphemes::fromUtf8(s)).toUtf8();
}

double wordwiseSimilarity(std::string_view heard, std::string_view key) {
    const std::vector<Graphemes> heardWords = wordsOf(heard);
    const std::vector<Graphemes> keyWords = wordsOf(key);
    if (heardWords.size() != keyWords.size()) {
        return 0;
    }
    std::vector<AnalysedWord> x;
    std::vector<AnalysedWord> y;
    for (std::size_t i = 0; i < heardWords.size(); ++i) {
        x.push_back(AnalysedWord::of(heardWords[i]));
        y.push_back(AnalysedWord::of(keyWords[i]));
    }
    return name_matching::wordwise(
        x.size(), [&](std::size_t i) { return x[i].text == y[i].text; },
        [&](std::size_t i) -> const AnalysedWord& { return x[i]; },
        [&](std::size_t i) -> const AnalysedWord& { return y[i]; });
}

double squashedSimilarity(std::string_view heard, std::string_view key) {
    return name_matching::squashed(squashedOf(heard), squashedOf(key));
}

} // namespace kelvarn
