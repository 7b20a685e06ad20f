#include "language/Correction.h"

#include "language/CommandParser.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>
#include <unordered_map>

namespace kelvarn {

namespace {

// Patterns that need more matching work than this are given up, and their rule skipped like
// one that does not compile: only pathological rules (runs of separator-only words against
// long runs of separators) come near it. ICU counts in steps of a few milliseconds.
constexpr int32_t matchTimeLimit = 2000;

// Letters, numbers and marks stand for themselves; every other code point is written as
// \x{…}, so no metacharacter or escape survives.
void appendLiteral(icu::UnicodeString& pattern, const icu::UnicodeString& word) {
    for (int32_t i = 0; i < word.length(); i = word.moveIndex32(i, 1)) {
        const UChar32 c = word.char32At(i);
        if (unicode::isWordCharacter(static_cast<char32_t>(c))) {
            pattern.append(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\x{%X}", static_cast<unsigned>(c));
            pattern.append(icu::UnicodeString(escaped, -1, US_INV));
        }
    }
}

std::vector<icu::UnicodeString> piecesOf(const std::string& heard) {
    std::vector<icu::UnicodeString> pieces;
    // Rules read from a file may hold other white space in heard; it is matched literally.
    for (const std::string_view piece : splitAt(heard, ' ')) {
        pieces.push_back(icu::UnicodeString::fromUTF8(
            icu::StringPiece(piece.data(), static_cast<int32_t>(piece.size()))));
    }
    return pieces;
}

// Rules match whole words, made of the same characters as the tokenizer's words
// (unicode::isWordCharacter). That boundary "[\p{L}\p{M}\p{N}]" inside a case-insensitive pattern
// is closed over case, which adds a few code points (U+0345). ICU recomputes that closure on every
// compile (about 2 ms); the same class, closed once here and used with case-insensitivity off,
// matches exactly the same characters and compiles quickly.
const icu::UnicodeString& boundaryClass() {
    static const icu::UnicodeString pattern = [] {
        const icu::UnicodeString plain(u"[\\p{L}\\p{M}\\p{N}]");
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeSet letters(plain, status);
        icu::UnicodeSet closed(letters);
        closed.closeOver(USET_CASE_INSENSITIVE);
        closed.removeAllStrings();
        closed.removeAll(letters);
        if (U_FAILURE(status) || closed.isEmpty()) {
            return plain;
        }
        icu::UnicodeString extras;
        closed.toPattern(extras, true);
        return icu::UnicodeString(u"[\\p{L}\\p{M}\\p{N}").append(extras).append(u']');
    }();
    return pattern;
}

std::optional<icu::UnicodeString> patternFor(const std::string& heard) {
    const std::vector<icu::UnicodeString> pieces = piecesOf(heard);
    if (pieces.empty()) {
        return std::nullopt;
    }
    icu::UnicodeString pattern(u"(?-i:(?<!");
    pattern.append(boundaryClass()).append(u"))");
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            // Possessive when the next word starts with a letter, number or mark, which no
            // separator is: it matches exactly what the greedy form matches, without
            // backtracking. Rules made by the system always have such words.
            const bool possessive =
                unicode::isWordCharacter(static_cast<char32_t>(pieces[i].char32At(0)));
            pattern.append(possessive ? u"[\\s,.;:\\-]++" : u"[\\s,.;:\\-]+");
        }
        appendLiteral(pattern, pieces[i]);
    }
    pattern.append(u"(?-i:(?!").append(boundaryClass()).append(u"))");
    return pattern;
}

// Compiled patterns of recent rules. The same rules run on every transcript; without this,
// compiling them would cost more than all the matching. The cache is thread_local, so each
// thread compiles and keeps its own patterns and no lock is needed. It holds at least `capacity`
// patterns before it starts afresh; callers size that to their rule set, since a cache smaller
// than the set is emptied on every pass and compiles every rule again. Null for a pattern that
// does not compile.
const icu::RegexPattern* compiled(const icu::UnicodeString& pattern, std::size_t capacity) {
    struct Hash {
        std::size_t operator()(const icu::UnicodeString& text) const {
            return static_cast<std::size_t>(text.hashCode());
        }
    };
    thread_local std::unordered_map<icu::UnicodeString, std::unique_ptr<icu::RegexPattern>, Hash>
        cache;
    if (const auto found = cache.find(pattern); found != cache.end()) {
        return found->second.get();
    }
    if (cache.size() >= capacity) {
        cache.clear();
    }
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    std::unique_ptr<icu::RegexPattern> made(
        icu::RegexPattern::compile(pattern, UREGEX_CASE_INSENSITIVE, parseError, status));
    if (U_FAILURE(status)) {
        made.reset();
    }
    return cache.emplace(pattern, std::move(made)).first->second.get();
}

icu::UnicodeString literalReplacement(const std::string& replacement) {
    const icu::UnicodeString raw = icu::UnicodeString::fromUTF8(replacement);
    icu::UnicodeString out;
    for (int32_t i = 0; i < raw.length(); ++i) {
        const UChar c = raw.charAt(i);
        if (c == u'\\' || c == u'$') {
            out.append(u'\\');
        }
        out.append(c);
    }
    return out;
}

// Rewrites text by one rule; the text unchanged when the rule cannot be used.
void applyRule(const Correction& rule, icu::UnicodeString& text, std::size_t cacheCapacity) {
    const std::optional<icu::UnicodeString> pattern = patternFor(rule.heard);
    if (!pattern) {
        return;
    }
    const icu::RegexPattern* regex = compiled(*pattern, cacheCapacity);
    if (regex == nullptr) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(regex->matcher(text, status));
    if (U_FAILURE(status)) {
        return;
    }
    matcher->setTimeLimit(matchTimeLimit, status);
    icu::UnicodeString rewritten =
        matcher->replaceAll(literalReplacement(rule.replacement), status);
    if (U_SUCCESS(status)) {
        text = std::move(rewritten);
    }
}

std::vector<std::string> whiteSpaceSeparated(std::string_view text) {
    const std::string repaired = unicode::repairUtf8(text);
    std::vector<std::string> words;
    for (const std::string_view word : splitWords(repaired)) {
        words.emplace_back(word);
    }
    return words;
}

} // namespace

Correction::Correction(std::string_view heard, std::string_view replacement)
    : id(Uuid::generate()), heard(normalised(heard)),
      replacement(unicode::trimWhitespace(replacement)) {}

std::string Correction::normalised(std::string_view text) {
    const std::vector<std::string> tokens = CommandParser::tokenize(text);
    return join(tokens);
}

std::string Correction::apply(const std::vector<Correction>& rules, std::string_view text) {
    std::vector<std::pair<std::size_t, const Correction*>> ordered;
    ordered.reserve(rules.size());
    for (const Correction& rule : rules) {
        ordered.emplace_back(unicode::characterCount(rule.heard), &rule);
    }
    // Room for this set and as many others, so editing a rule or two keeps the rest compiled.
    const std::size_t cacheCapacity = std::max<std::size_t>(256, 2 * rules.size());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    icu::UnicodeString result = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    for (const auto& [length, rule] : ordered) {
        applyRule(*rule, result, cacheCapacity);
    }
    std::string out;
    result.toUTF8String(out);
    return out;
}

std::optional<Correction> Correction::suggested(std::string_view heard,
                                                std::string_view corrected) {
    const std::vector<std::string> a = whiteSpaceSeparated(heard);
    const std::vector<std::string> b = whiteSpaceSeparated(corrected);
    std::vector<std::string> normalA;
    std::vector<std::string> normalB;
    for (const std::string& word : a) {
        normalA.push_back(normalised(word));
    }
    for (const std::string& word : b) {
        normalB.push_back(normalised(word));
    }
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t prefix = 0;
    while (prefix < shorter && normalA[prefix] == normalB[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           normalA[a.size() - 1 - suffix] == normalB[b.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::size_t changedA = a.size() - prefix - suffix;
    const std::size_t changedB = b.size() - prefix - suffix;
    constexpr std::size_t mostWords = 6;
    if (changedA < 1 || changedA > mostWords || changedB < 1 || changedB > mostWords) {
        return std::nullopt;
    }
    const std::string replacement = unicode::trimWhitespace(
        unicode::trimPunctuation(join(std::span(b).subspan(prefix, changedB))));
    const std::string heardText = normalised(join(std::span(a).subspan(prefix, changedA)));
    if (replacement.empty() || heardText.empty() || normalised(replacement) == heardText) {
        return std::nullopt;
    }
    return Correction(heardText, replacement);
}

} // namespace kelvarn
