#pragma once

#include "support/Result.h"
#include "support/Time.h"
#include "support/Uuid.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace kelvarn::json {

// Strict member readers: a missing or mistyped member throws JsonDecodeError.
const nlohmann::json& member(const nlohmann::json& object, const char* name);
// Members that may be missing or null.
const nlohmann::json* optionalMember(const nlohmann::json& object, const char* name);

std::string string(const nlohmann::json& value, const char* what);
double number(const nlohmann::json& value, const char* what);
std::int64_t integer(const nlohmann::json& value, const char* what);
bool boolean(const nlohmann::json& value, const char* what);
Uuid uuid(const nlohmann::json& value, const char* what);
// Seconds since the reference date; absurd magnitudes are rejected rather than overflowing.
TimePoint date(const nlohmann::json& value, const char* what);

// Compact UTF-8; invalid UTF-8 inside strings is replaced rather than failing the write.
std::string dump(const nlohmann::ordered_json& value);

// Parses text and hands the document to decode; any parse or shape error becomes an Error.
template <typename T, typename Decoder> Result<T> decode(std::string_view text, Decoder&& decoder) {
    try {
        return decoder(nlohmann::json::parse(text.begin(), text.end()));
    } catch (const std::exception& e) {
        return Error{e.what()};
    }
}

} // namespace kelvarn::json
