#include "update/RunningBundle.h"

#include <system_error>

namespace kelvarn::update {

std::optional<std::filesystem::path> bundleAround(const std::filesystem::path& executable) {
    std::error_code error;
    const auto resolved = std::filesystem::canonical(executable, error);
    if (error) {
        return std::nullopt;
    }
    const auto bundle = resolved.parent_path().parent_path();
    if (!std::filesystem::is_regular_file(bundle / kBundleFileName, error)) {
        return std::nullopt;
    }
    return bundle;
}

RunningBundle runningBundle() {
    if (const auto location = bundleAround("/proc/self/exe")) {
        if (auto file = readBundleFile(*location)) {
            return {location, std::move(*file)};
        }
    }
    BundleFile built;
    built.version = QStringLiteral(KELVARN_VERSION);
    built.build = KELVARN_BUILD_NUMBER;
    return {std::nullopt, std::move(built)};
}

} // namespace kelvarn::update
