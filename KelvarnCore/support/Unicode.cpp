#include "support/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

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

std::size_t characterCount(std::string_view text) {
    const icu::UnicodeString unicode = fromUtf8(text);
    // Creating a break iterator loads rule data; one per thread is reused for every count.
    thread_local std::unique_ptr<icu::BreakIterator> breaks = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> iterator(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(iterator) : nullptr;
    }();
    if (!breaks) {
        return static_cast<std::size_t>(unicode.countChar32());
    }
    breaks->setText(unicode);
    std::size_t count = 0;
    breaks->first();
    while (breaks->next() != icu::BreakIterator::DONE) {
        ++count;
    }
    return count;
}

} // namespace kelvarn::unicode
