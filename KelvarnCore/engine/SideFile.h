#pragma once

#include "persistence/StoreStorage.h"
#include "support/Time.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

// How the user's smaller files (the correction rules, the comment bank) are named in messages:
// "the correction rules", "rule", "corrections.json".
struct SideFileNames {
    std::string_view contents;
    std::string_view item;
    std::string_view fileName;
};

// Reads one of them and hands its text to decode, which says whether the text could be used.
// An unreadable file is set aside, or, when it cannot be, kept: then saveBlocked says why it
// must never be saved over. Returns the warning for the feed, if any.
std::optional<std::string> loadSideFile(StoreStorage& storage, StoreStorage::File file,
                                        TimePoint now, const SideFileNames& names,
                                        const std::function<bool(std::string_view)>& decode,
                                        std::optional<std::string>& saveBlocked);

} // namespace kelvarn
