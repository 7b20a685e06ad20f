#include "language/NameKey.h"

#include "support/Lines.h"

#include <span>

namespace kelvarn {

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

} // namespace kelvarn
