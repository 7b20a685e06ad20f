// Update archives of arbitrary bytes: unpacking never crashes and never writes outside its folder.
#include "FuzzChecks.h"

#include "update/ArchiveUnpacker.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace kelvarn;

namespace {

// A folder of its own for the whole run, removed when the fuzzer exits.
struct Sandbox {
    Sandbox() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvarn-archive-fuzz-XXXXXX").string();
        fuzz::require(::mkdtemp(pattern.data()) != nullptr, "a sandbox folder");
        folder = pattern;
    }
    ~Sandbox() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Sandbox sandbox;
    const auto& folder = sandbox.folder;
    const auto archive = folder / "update.zip";
    const auto inside = folder / "inside";
    std::filesystem::remove_all(inside);
    std::filesystem::create_directory(inside);
    std::ofstream(archive, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));

    // A few megabytes: enough for any input the fuzzer makes, and no disk filled.
    (void)update::unpackArchive(archive, inside, 8 * 1024 * 1024);

    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        fuzz::require(entry.path() == archive || entry.path() == inside,
                      "nothing is written beside the folder");
        ++entries;
    }
    fuzz::require(entries == 2, "the folder and the archive are still there");
    return 0;
}
