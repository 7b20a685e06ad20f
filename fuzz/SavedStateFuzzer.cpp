// The store's start-up on an arbitrary session.json: it loads, or the file is set aside with its
// bytes intact; it is never overwritten. Decoded state survives being written and read again.
#include "FuzzChecks.h"
#include "engine/GradingStore.h"
#include "persistence/FileIO.h"
#include "persistence/SavedStateJson.h"

#include <cstdlib>
#include <filesystem>

using namespace kelvarn;
namespace fs = std::filesystem;

namespace {

const fs::path& folder() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "kelvarn-fuzz-XXXXXX").string();
        fuzz::require(::mkdtemp(pattern.data()) != nullptr, "temporary folder");
        return fs::path(pattern);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto decoded = decodeSavedState(bytes);
    if (decoded) {
        const std::string again = encodeSavedState(decoded.value());
        fuzz::requireValidUtf8(again, "encoded state is UTF-8");
        const auto reread = decodeSavedState(again);
        // Dates pass through floating point both ways, so the round trip compares the rest.
        fuzz::require(reread && reread.value().session == decoded.value().session &&
                          reread.value().undo.size() == decoded.value().undo.size(),
                      "state round-trips");
    }

    std::error_code ignored;
    fs::remove_all(folder(), ignored);
    fs::create_directories(folder());
    fuzz::require(writeFileAtomically(folder() / "session.json", bytes).ok(), "seed the file");
    const TimePoint fixed = fromSecondsSinceReferenceDate(794412429.0);
    GradingStore store(folder(), [&] { return fixed; });
    const fs::path setAside = folder() / "session-unreadable-2026-03-05T14-07-09Z.json";
    if (decoded) {
        fuzz::require(store.session() == decoded.value().session, "a readable file loads");
        fuzz::require(!fs::exists(setAside), "a readable file stays in place");
    } else {
        fuzz::require(store.session().students.empty(), "an unreadable file gives an empty class");
        const auto kept = readWholeFile(setAside);
        fuzz::require(kept && kept.value() == bytes, "an unreadable file is set aside intact");
        fuzz::require(!fs::exists(folder() / "session.json"), "and moved, not copied");
    }
    return 0;
}
