#include "language/NameKey.h"

namespace kelvarn {

namespace {

std::string joined(std::vector<std::string>::const_iterator first,
                   std::vector<std::string>::const_iterator last) {
    std::string out;
    for (auto it = first; it != last; ++it) {
        if (!out.empty()) {
            out.push_back(' ');
        }
        out += *it;
    }
    return out;
}

} // namespace

std::vector<NameKey> nameKeysFor(const Uuid& id, const std::vector<std::string>& tokens) {
    std::vector<NameKey> keys;
    if (tokens.empty()) {
        return keys;
    }
    keys.push_back({id, joined(tokens.begin(), tokens.end()), true});
    if (tokens.size() >= 2) {
        keys.push_back({id, tokens.front(), false});
        keys.push_back({id, tokens.back(), false});
    }
    if (tokens.size() >= 3) {
        keys.push_back({id, joined(tokens.begin() + 1, tokens.end()), false});
        keys.push_back({id, tokens.front() + " " + tokens.back(), false});
    }
    return keys;
}

} // namespace kelvarn
