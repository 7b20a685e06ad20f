#include "FuzzChecks.h"

#include "support/Unicode.h"

#include <cstdio>
#include <cstdlib>

namespace kelvarn::fuzz {

void require(bool condition, const char* message) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", message);
        std::abort();
    }
}

void requireValidUtf8(std::string_view text, const char* what) {
    require(unicode::repairUtf8(text) == text, what);
}

std::vector<std::string> split(std::string_view data, char separator, std::size_t most) {
    std::vector<std::string> pieces;
    while (pieces.size() + 1 < most) {
        const std::size_t at = data.find(separator);
        if (at == std::string_view::npos) {
            break;
        }
        pieces.emplace_back(data.substr(0, at));
        data.remove_prefix(at + 1);
    }
    pieces.emplace_back(data);
    return pieces;
}

} // namespace kelvarn::fuzz
