#include "language/NameMask.h"

#include "language/CommandParser.h"
#include "language/PhraseTable.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <algorithm>

namespace kelvarn {

namespace {

bool isApostrophe(char32_t c) {
    return c == U'\'' || c == U'\u2019';
}

// The words of a text as spans of code points: letters, marks and numbers, with apostrophes
// inside a word ("O'Brien") kept in it.
struct Word {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string folded;
};

std::vector<Word> wordsOf(const std::u32string& text) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!unicode::isWordCharacter(text[i])) {
            ++i;
            continue;
        }
        Word word{i, i, {}};
        while (i < text.size() && (unicode::isWordCharacter(text[i]) ||
                                   (isApostrophe(text[i]) && i + 1 < text.size() &&
                                    unicode::isWordCharacter(text[i + 1])))) {
            ++i;
        }
        word.end = i;
        word.folded =
            join(CommandParser::tokenize(unicode::toUtf8(text.substr(word.begin, i - word.begin))));
        words.push_back(std::move(word));
    }
    return words;
}

bool isNumber(const std::string& word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

NameMask::NameMask(const std::vector<std::string>& names) : m_names(names) {
    const auto& commandWords = phrase_table::commandWords();
    const auto& fillers = phrase_table::fillers();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::vector<std::string> tokens = CommandParser::tokenize(names[i]);
        if (tokens.empty()) {
            continue;
        }
        add(join(tokens), i);
        m_longest = std::max(m_longest, tokens.size());
        if (tokens.size() == 1) {
            continue;
        }
        for (const std::string& token : tokens) {
            if (!commandWords.contains(token) && !fillers.contains(token)) {
                add(token, i);
            }
        }
    }
}

void NameMask::add(const std::string& key, std::size_t index) {
    const auto [it, added] = m_keys.try_emplace(key, index);
    if (!added && it->second != index) {
        it->second = ambiguous;
    }
}

std::string NameMask::masked(std::string_view text) const {
    if (m_keys.empty()) {
        return std::string(text);
    }
    const std::u32string characters = unicode::toUtf32(text);
    const std::vector<Word> words = wordsOf(characters);
    std::u32string out;
    std::size_t copied = 0;
    for (std::size_t w = 0; w < words.size();) {
        std::size_t length = std::min(m_longest, words.size() - w);
        for (; length > 0; --length) {
            std::string key = words[w].folded;
            for (std::size_t k = w + 1; k < w + length; ++k) {
                key += ' ' + words[k].folded;
            }
            const auto found = m_keys.find(key);
            if (found == m_keys.end()) {
                continue;
            }
            out.append(characters, copied, words[w].begin - copied);
            out += unicode::toUtf32(found->second == ambiguous ? std::string("Student ?")
                                                               : label(found->second));
            copied = words[w + length - 1].end;
            break;
        }
        w += std::max<std::size_t>(length, 1);
    }
    out.append(characters, copied);
    return unicode::toUtf8(out);
}

std::string NameMask::unmasked(std::string_view text) const {
    const std::u32string characters = unicode::toUtf32(text);
    const std::vector<Word> words = wordsOf(characters);
    std::u32string out;
    std::size_t copied = 0;
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        if (words[w].folded != "student" || !isNumber(words[w + 1].folded)) {
            continue;
        }
        const std::string& digits = words[w + 1].folded;
        const std::size_t number = digits.size() > 6 ? 0 : std::stoul(digits);
        if (number == 0 || number > m_names.size()) {
            continue;
        }
        out.append(characters, copied, words[w].begin - copied);
        out += unicode::toUtf32(m_names[number - 1]);
        copied = words[w + 1].end;
        ++w;
    }
    out.append(characters, copied);
    return unicode::toUtf8(out);
}

} // namespace kelvarn
