#include "language/NameKey.h"

#include "language/CommandParser.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <span>

namespace kelvarn {

namespace {

std::vector<std::string> tokensOf(std::string_view text) {
    return CommandParser::tokenize(text);
}

std::vector<std::string> concatenated(std::vector<std::string> a,
                                      const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The surname word people use on its own: the first one written with a capital, so that a
// particle ("van der Berg", "de la Cruz", "bin Salem") is passed over; else the first.
std::string_view leadingSurnameWord(const std::vector<std::string_view>& words) {
    for (const std::string_view word : words) {
        const std::u32string characters = unicode::toUtf32(word);
        if (!characters.empty() && u_isupper(static_cast<UChar32>(characters.front()))) {
            return word;
        }
    }
    return words.front();
}

// Adds a partial key unless the student already has it.
void addKey(std::vector<NameKey>& keys, const Uuid& id, const std::vector<std::string>& tokens) {
    if (tokens.empty()) {
        return;
    }
    std::string key = join(tokens);
    if (std::none_of(keys.begin(), keys.end(), [&](const NameKey& k) { return k.key == key; })) {
        keys.push_back({id, std::move(key), false});
    }
}

} // namespace

std::vector<NameKey> nameKeysFor(const Uuid& id, const std::vector<std::string>& tokens) {
    std::vector<NameKey> keys;
    if (tokens.empty()) {
        return keys;
    }
    keys.push_back({id, join(tokens), true});
    if (tokens.size() >= 2) {
        keys.push_back({id, tokens.front(), false});
        keys.push_back({id, tokens.back(), false});
    }
    if (tokens.size() >= 3) {
        keys.push_back({id, join(std::span(tokens).subspan(1)), false});
        keys.push_back({id, tokens.front() + " " + tokens.back(), false});
    }
    return keys;
}

std::vector<NameKey> nameKeysFor(const Uuid& id, std::string_view name,
                                 const std::optional<std::string>& surname) {
    std::vector<NameKey> keys = nameKeysFor(id, tokensOf(name));
    if (keys.empty()) {
        return keys;
    }
    const std::vector<std::string_view> written = splitWords(name);
    if (written.size() >= 2) {
        const auto given = tokensOf(written.front());
        const auto last = tokensOf(written.back());
        addKey(keys, id, given);
        addKey(keys, id, last);
        addKey(keys, id, concatenated(given, last));
    }

    if (!surname) {
        return keys;
    }
    const std::vector<std::string_view> surnameWords = splitWords(*surname);
    // A surname that is not how the name ends (the name was edited since) says nothing.
    if (surnameWords.empty() || surnameWords.size() >= written.size() ||
        !std::equal(surnameWords.rbegin(), surnameWords.rend(), written.rbegin())) {
        return keys;
    }
    const auto givenNames =
        tokensOf(join(std::span(written).first(written.size() - surnameWords.size())));
    addKey(keys, id, givenNames);
    addKey(keys, id, tokensOf(*surname));
    if (surnameWords.size() >= 2) {
        const auto leading = tokensOf(leadingSurnameWord(surnameWords));
        addKey(keys, id, leading);
        addKey(keys, id, concatenated(givenNames, leading));
    }
    return keys;
}

} // namespace kelvarn
