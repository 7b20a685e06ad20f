#include "support/JsonDecoding.h"

#include "support/JsonDecodeError.h"

#include <cstdint>

namespace kelvarn::json {

namespace {

[[noreturn]] void fail(const std::string& message) {
    throw JsonDecodeError(message);
}

} // namespace

const nlohmann::json& member(const nlohmann::json& object, const char* name) {
    if (!object.is_object()) {
        fail(std::string("expected an object holding \"") + name + "\"");
    }
    const auto it = object.find(name);
    if (it == object.end()) {
        fail(std::string("missing member \"") + name + "\"");
    }
    return *it;
}

const nlohmann::json* optionalMember(const nlohmann::json& object, const char* name) {
    if (!object.is_object()) {
        fail(std::string("expected an object holding \"") + name + "\"");
    }
    const auto it = object.find(name);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

std::string string(const nlohmann::json& value, const char* what) {
    if (!value.is_string()) {
        fail(std::string("\"") + what + "\" is not a string");
    }
    return value.get<std::string>();
}

double number(const nlohmann::json& value, const char* what) {
    if (!value.is_number()) {
        fail(std::string("\"") + what + "\" is not a number");
    }
    return value.get<double>();
}

std::int64_t integer(const nlohmann::json& value, const char* what) {
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(INT64_MAX)) {
            fail(std::string("\"") + what + "\" is out of range");
        }
        return static_cast<std::int64_t>(u);
    }
    if (!value.is_number_integer()) {
        fail(std::string("\"") + what + "\" is not a whole number");
    }
    return value.get<std::int64_t>();
}

bool boolean(const nlohmann::json& value, const char* what) {
    if (!value.is_boolean()) {
        fail(std::string("\"") + what + "\" is not true or false");
    }
    return value.get<bool>();
}

Uuid uuid(const nlohmann::json& value, const char* what) {
    const auto parsed = Uuid::parse(string(value, what));
    if (!parsed) {
        fail(std::string("\"") + what + "\" is not a UUID");
    }
    return *parsed;
}

TimePoint date(const nlohmann::json& value, const char* what) {
    const double seconds = number(value, what);
    // About 125 years either side of 2001: beyond any real date, yet inside what the
    // clock's nanosecond representation can hold (about 292 years either side of 1970).
    constexpr double limit = 4e9;
    if (!(seconds > -limit && seconds < limit)) {
        fail(std::string("\"") + what + "\" is out of range");
    }
    return fromSecondsSinceReferenceDate(seconds);
}

std::string dump(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace kelvarn::json
