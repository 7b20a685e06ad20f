// CommandParser's text splitting: tokenize and sentences need no parser.
#include "language/CommandParser.h"

#include "language/Graphemes.h"
#include "support/Unicode.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace kelvarn {

namespace {

bool endsSentence(std::u32string_view character) {
    return character.size() == 1 &&
           (character[0] == U'.' || character[0] == U'?' || character[0] == U'!' ||
            character[0] == U';' || character[0] == U'\n');
}

} // namespace

std::vector<std::string> CommandParser::tokenize(std::string_view text) {
    const std::string folded = unicode::foldCaseAndDiacritics(text);
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(folded.data(), static_cast<int32_t>(folded.size())));
    unicode.findAndReplace(icu::UnicodeString(static_cast<UChar>(u'\'')), icu::UnicodeString());
    unicode.findAndReplace(icu::UnicodeString(static_cast<UChar>(u'\u2019')), icu::UnicodeString());
    unicode.toLower(icu::Locale("en_US"));

    std::vector<std::string> tokens;
    int32_t start = -1;
    const auto flush = [&](int32_t end) {
        if (start >= 0) {
            std::string token;
            unicode.tempSubStringBetween(start, end).toUTF8String(token);
            tokens.push_back(std::move(token));
            start = -1;
        }
    };
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        if (unicode::isWordCharacter(static_cast<char32_t>(unicode.char32At(i)))) {
            if (start < 0) {
                start = i;
            }
        } else {
            flush(i);
        }
    }
    flush(unicode.length());
    return tokens;
}

std::vector<std::string> CommandParser::sentences(std::string_view text) {
    const Graphemes characters = Graphemes::fromUtf8(text);
    std::vector<std::string> out;
    std::u32string current;
    const auto finish = [&] {
        std::string sentence = unicode::trimWhitespace(unicode::toUtf8(current));
        if (!sentence.empty()) {
            out.push_back(std::move(sentence));
        }
        current.clear();
    };
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const std::u32string_view character = characters.at(i);
        current.append(character);
        if (endsSentence(character)) {
            finish();
        }
    }
    finish();
    return out;
}

} // namespace kelvarn
