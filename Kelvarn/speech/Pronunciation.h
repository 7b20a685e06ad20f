#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::speech::pronunciation {

// An IPA transcription in the recogniser's 39 phones ("HH AE D AH D"); nothing when it holds a
// sound that has no near equivalent.
std::optional<std::string> sphinxPhones(std::string_view ipa);

// How espeak-ng would say the word in American and in British English, in the recogniser's
// phones, each once. Thread-safe; the speech library itself is used by one caller at a time.
std::vector<std::string> spoken(const std::string& word);

} // namespace kelvarn::speech::pronunciation
