#pragma once

#include <stdexcept>
#include <string>

namespace kelvarn {

// Thrown by the JSON readers inside the core when a document does not have the expected
// shape; caught where a document is decoded and turned into an Error value.
class JsonDecodeError final : public std::runtime_error {
public:
    explicit JsonDecodeError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace kelvarn
