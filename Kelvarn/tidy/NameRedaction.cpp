#include "tidy/NameRedaction.h"

#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace kelvarn::tidy {

namespace {

// The name split at spaces, empty pieces dropped.
std::vector<std::string_view> piecesOf(std::string_view name) {
    return splitAt(name, ' ');
}

icu::UnicodeString unicodeOf(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// The candidate as a literal: every code point written as \x{…}, so nothing in a name is syntax.
icu::UnicodeString literalPattern(const icu::UnicodeString& text) {
    icu::UnicodeString pattern;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        char escaped[16];
        std::snprintf(escaped, sizeof escaped, "\\x{%X}", static_cast<unsigned>(text.char32At(i)));
        pattern.append(icu::UnicodeString(escaped, -1, US_INV));
    }
    return pattern;
}

// A whole word: no word character right before or after. Unlike \b this also holds for a name
// that begins or ends with punctuation ("J.R."), which must not slip through unredacted.
void replaceWholeWord(icu::UnicodeString& text, std::string_view candidate) {
    icu::UnicodeString pattern(u"(?<!\\w)");
    pattern.append(literalPattern(unicodeOf(candidate))).append(u"(?!\\w)");
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    const std::unique_ptr<icu::RegexPattern> regex(
        icu::RegexPattern::compile(pattern, UREGEX_CASE_INSENSITIVE, parseError, status));
    if (U_FAILURE(status)) {
        return;
    }
    const std::unique_ptr<icu::RegexMatcher> matcher(regex->matcher(text, status));
    if (U_FAILURE(status)) {
        return;
    }
    icu::UnicodeString replaced = matcher->replaceAll(
        icu::UnicodeString::fromUTF8(icu::StringPiece(placeholder.data(), placeholder.size())),
        status);
    if (U_SUCCESS(status)) {
        text = std::move(replaced);
    }
}

} // namespace

std::string redact(std::string_view text, std::string_view name) {
    std::vector<std::pair<std::size_t, std::string_view>> candidates;
    candidates.emplace_back(unicode::characterCount(name), name);
    for (const std::string_view piece : piecesOf(name)) {
        candidates.emplace_back(unicode::characterCount(piece), piece);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });

    icu::UnicodeString result = unicodeOf(text);
    for (const auto& [length, candidate] : candidates) {
        if (length >= 2) {
            replaceWholeWord(result, candidate);
        }
    }
    std::string out;
    result.toUTF8String(out);
    return out;
}

std::string restoreName(std::string_view text, std::string_view name) {
    const std::vector<std::string_view> pieces = piecesOf(name);
    const std::string_view restored = pieces.empty() ? name : pieces.front();
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(placeholder); at != std::string_view::npos;
         at = text.find(placeholder, from)) {
        out.append(text.substr(from, at - from)).append(restored);
        from = at + placeholder.size();
    }
    out.append(text.substr(from));
    return out;
}

} // namespace kelvarn::tidy
