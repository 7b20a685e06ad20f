#pragma once

#include "update/BundleFile.h"

#include <filesystem>
#include <optional>

namespace kelvarn::update {

// The bundle this process runs from, read once at start-up.
struct RunningBundle {
    std::optional<std::filesystem::path> location; // absent when not running from a bundle
    BundleFile file;

    QString version() const { return file.version.value_or(QStringLiteral("?")); }
    qint64 build() const { return file.build.value_or(0); }
};

// The bundle around an executable at BUNDLE/bin/NAME: the folder above the executable's own,
// when a bundle file is there.
std::optional<std::filesystem::path> bundleAround(const std::filesystem::path& executable);

// The bundle of /proc/self/exe; outside one (a build tree, a distribution package) the version
// and build number the program was built with, and no update address.
RunningBundle runningBundle();

} // namespace kelvarn::update
