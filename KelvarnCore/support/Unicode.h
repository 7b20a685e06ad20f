#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::unicode {

// Every Unicode-aware text operation goes through ICU; <cctype> knows nothing of "Zoë".

// Invalid UTF-8 sequences become U+FFFD; valid text comes back unchanged.
std::string repairUtf8(std::string_view text);

// Case- and diacritic-insensitive folding as for the "en_US" locale: canonical decomposition,
// combining marks removed, then full case folding ("Élise" and "elise" fold alike).
std::string foldCaseAndDiacritics(std::string_view text);

std::string toLower(std::string_view text);

// Canonical composition (NFC), so that the same name typed in two editors, one composing "å" and
// one writing "a" and a combining ring, is the same text.
std::string toNFC(std::string_view text);

// Trims Unicode white space, line breaks included, from both ends.
std::string trimWhitespace(std::string_view text);
// Trims Unicode punctuation from both ends.
std::string trimPunctuation(std::string_view text);

// UTF-8 <-> UTF-32; invalid input (bytes or code points) becomes U+FFFD.
std::u32string toUtf32(std::string_view text);
std::string toUtf8(std::u32string_view text);

// Letters, marks and numbers: what words are made of, for the tokenizer and for the correction
// rules' word boundaries alike.
bool isWordCharacter(char32_t c);

// Where each user-perceived character (extended grapheme cluster) ends, as code-point offsets;
// empty when every code point is a character of its own, as it is in almost all text.
std::vector<std::uint32_t> characterEnds(std::u32string_view codePoints);
// User-perceived characters (extended grapheme clusters).
std::size_t characterCount(std::string_view text);

} // namespace kelvarn::unicode
