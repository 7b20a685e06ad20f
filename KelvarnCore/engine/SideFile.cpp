#include "engine/SideFile.h"

namespace kelvarn {

std::optional<std::string> loadSideFile(StoreStorage& storage, StoreStorage::File file,
                                        TimePoint now, const SideFileNames& names,
                                        const std::function<bool(std::string_view)>& decode,
                                        std::optional<std::string>& saveBlocked) {
    const std::string contents(names.contents);
    const std::string kept =
        "They are left as they are and no " + std::string(names.item) + " will be saved over them";
    auto text = storage.read(file);
    if (!text) {
        // Not knowing what the file holds, it is neither moved nor replaced.
        saveBlocked = text.error();
        return "Couldn't read " + contents + " (" + text.error() + "). " + kept + ".";
    }
    if (!text.value() || decode(*text.value())) {
        return std::nullopt;
    }
    const auto setAside = storage.setAside(file, now);
    if (setAside) {
        return "Couldn't read " + contents + ", so they were set aside in " + setAside.value() +
               ". Nothing was deleted.";
    }
    saveBlocked = setAside.error();
    return "Couldn't read " + contents + ", and couldn't set them aside (" + setAside.error() +
           "). " + kept + ": move " + std::string(names.fileName) +
           " out of the data folder, then restart Kelvarn.";
}

} // namespace kelvarn
