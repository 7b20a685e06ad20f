#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvarn {

// Which session.json a journal continues: the file's length and a hash of its bytes. Where a
// fingerprint is optional, none stands for no file at all.
struct StateFingerprint {
    std::uint64_t bytes = 0;
    std::uint64_t hash = 0;

    static StateFingerprint of(std::string_view content);
    static StateFingerprint of(std::span<const std::string_view> pieces);

    friend bool operator==(const StateFingerprint&, const StateFingerprint&) = default;
};

// "<bytes> <hash in hex>", or "-" for no file: how a journal names its base.
std::string textualForm(const std::optional<StateFingerprint>& fingerprint);
// The inverse; nothing when the text is no fingerprint (an absent file reads as a value holding
// nothing).
std::optional<std::optional<StateFingerprint>> parseFingerprint(std::string_view text);

} // namespace kelvarn
