#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::fuzz {

// Aborts (a finding for libFuzzer) with the message when the condition is false.
void require(bool condition, const char* message);
// Every text the core hands back must be valid UTF-8.
void requireValidUtf8(std::string_view text, const char* what);
// Splits at a separator byte, at most `most` pieces (the last one keeps the rest).
std::vector<std::string> split(std::string_view data, char separator, std::size_t most);

} // namespace kelvarn::fuzz
