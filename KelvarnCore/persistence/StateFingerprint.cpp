#include "persistence/StateFingerprint.h"

#include <xxhash.h>

#include <charconv>
#include <cstdio>
#include <memory>

namespace kelvarn {

StateFingerprint StateFingerprint::of(std::string_view content) {
    return of(std::span<const std::string_view>(&content, 1));
}

StateFingerprint StateFingerprint::of(std::span<const std::string_view> pieces) {
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                         &XXH3_freeState);
    XXH3_64bits_reset(state.get());
    StateFingerprint fingerprint;
    for (const std::string_view piece : pieces) {
        XXH3_64bits_update(state.get(), piece.data(), piece.size());
        fingerprint.bytes += piece.size();
    }
    fingerprint.hash = XXH3_64bits_digest(state.get());
    return fingerprint;
}

std::string textualForm(const std::optional<StateFingerprint>& fingerprint) {
    if (!fingerprint) {
        return "-";
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fingerprint->hash));
    return std::to_string(fingerprint->bytes) + " " + hash;
}

std::optional<std::optional<StateFingerprint>> parseFingerprint(std::string_view text) {
    if (text == "-") {
        return std::optional<StateFingerprint>();
    }
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos || text.size() - space - 1 != 16) {
        return std::nullopt;
    }
    StateFingerprint fingerprint;
    const char* end = text.data() + space;
    if (std::from_chars(text.data(), end, fingerprint.bytes).ptr != end) {
        return std::nullopt;
    }
    const char* hashEnd = text.data() + text.size();
    if (std::from_chars(end + 1, hashEnd, fingerprint.hash, 16).ptr != hashEnd) {
        return std::nullopt;
    }
    return std::optional<StateFingerprint>(fingerprint);
}

} // namespace kelvarn
