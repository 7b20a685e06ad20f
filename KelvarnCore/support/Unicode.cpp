#include "support/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace kelvarn::unicode {

namespace {

icu::UnicodeString fromUtf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// The text without the leading and trailing code points for which `strip` holds.
template <typename Predicate> std::string trimmed(std::string_view text, Predicate strip) {
    const icu::UnicodeString unicode = fromUtf8(text);
    int32_t start = 0;
    int32_t end = unicode.length();
    while (start < end && strip(unicode.char32At(start))) {
        start = unicode.moveIndex32(start, 1);
    }
    while (end > start) {
        const int32_t previous = unicode.moveIndex32(end, -1);
        if (!strip(unicode.char32At(previous))) {
            break;
        }
        end = previous;
    }
    return toUtf8(unicode.tempSubStringBetween(start, end));
}

// True when no grapheme-cluster rule can join this code point to a neighbour: only then is
// every code point of a run a character of its own.
bool standsAlone(char32_t c) {
    if (c < 0x7F) {
        return c >= 0x20;
    }
    return u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK) ==
           U_GCB_OTHER;
}

} // namespace

std::string repairUtf8(std::string_view text) {
    return toUtf8(fromUtf8(text));
}

std::string foldCaseAndDiacritics(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) {
        return toUtf8(fromUtf8(text).foldCase());
    }
    const icu::UnicodeString decomposed = nfd->normalize(fromUtf8(text), status);
    if (U_FAILURE(status)) {
        return toUtf8(fromUtf8(text).foldCase());
    }
    icu::UnicodeString stripped;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) {
            stripped.append(c);
        }
        i += U16_LENGTH(c);
    }
    stripped.foldCase();
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_SUCCESS(status)) {
        icu::UnicodeString composed = nfc->normalize(stripped, status);
        if (U_SUCCESS(status)) {
            return toUtf8(composed);
        }
    }
    return toUtf8(stripped);
}

std::string toLower(std::string_view text) {
    return toUtf8(fromUtf8(text).toLower(icu::Locale("en_US")));
}

std::string toNFC(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString unicode = fromUtf8(text);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return toUtf8(unicode);
    }
    const icu::UnicodeString composed = nfc->normalize(unicode, status);
    return toUtf8(U_SUCCESS(status) ? composed : unicode);
}

std::string trimWhitespace(std::string_view text) {
    return trimmed(text, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
}

std::string trimPunctuation(std::string_view text) {
    return trimmed(text, [](UChar32 c) { return u_ispunct(c) != 0; });
}

std::u32string toUtf32(std::string_view text) {
    const icu::UnicodeString unicode = fromUtf8(text);
    std::u32string out;
    out.reserve(static_cast<std::size_t>(unicode.length()));
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        out.push_back(static_cast<char32_t>(unicode.char32At(i)));
    }
    return out;
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool isWordCharacter(char32_t c) {
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) !=
           0;
}

std::vector<std::uint32_t> characterEnds(std::u32string_view codePoints) {
    if (std::all_of(codePoints.begin(), codePoints.end(), standsAlone)) {
        return {};
    }
    // Creating a break iterator loads rule data; one per thread is reused for every text.
    thread_local std::unique_ptr<icu::BreakIterator> breaks = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!breaks) {
        return {};
    }
    // fromUTF32 turns invalid code points into U+FFFD one for one, so offsets still line up.
    const icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(codePoints.data()),
                                      static_cast<int32_t>(codePoints.size()));
    // The break iterator reports UTF-16 offsets; map them back to code points.
    std::vector<std::uint32_t> codePointAt(static_cast<std::size_t>(unicode.length()) + 1, 0);
    std::uint32_t index = 0;
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        codePointAt[static_cast<std::size_t>(i)] = index++;
    }
    codePointAt[static_cast<std::size_t>(unicode.length())] = index;
    std::vector<std::uint32_t> ends;
    breaks->setText(unicode);
    breaks->first();
    for (int32_t b = breaks->next(); b != icu::BreakIterator::DONE; b = breaks->next()) {
        ends.push_back(codePointAt[static_cast<std::size_t>(b)]);
    }
    // The iterator keeps a pointer to the text, which is about to go.
    breaks->setText(icu::UnicodeString());
    return ends;
}

std::size_t characterCount(std::string_view text) {
    const std::u32string codePoints = toUtf32(text);
    const std::vector<std::uint32_t> ends = characterEnds(codePoints);
    return ends.empty() ? codePoints.size() : ends.size();
}

} // namespace kelvarn::unicode
