#pragma once

#include <cstdint>
#include <string>

namespace kelvarn {

// A comment of the bank: feedback written once and filed by saying its short name.
struct Comment {
    std::string name;
    std::string text;
    // How often it was filed, so the most used can be listed first.
    std::int64_t uses = 0;

    friend bool operator==(const Comment&, const Comment&) = default;
};

} // namespace kelvarn
