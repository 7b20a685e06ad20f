#pragma once

#include <QString>

#include <compare>
#include <optional>

namespace kelvarn::update {

// A dotted version of what decides whether a build runs here: on Linux the C library's.
struct SystemVersion {
    qint64 major = 0;
    qint64 minor = 0;
    qint64 patch = 0;

    auto operator<=>(const SystemVersion&) const = default;
};

// "26.1.5" requires 26.1.0, "27" requires 27.0.0, text without any number 0.0.0: the first two
// numbers count, pieces that are not numbers are skipped, and the patch is never used.
SystemVersion requiredSystemVersion(const QString& minimum);

// Whether a system at `running` meets a manifest's optional minimum; absent always does.
bool systemSupports(const std::optional<QString>& minimum, SystemVersion running);

// The C library this process runs on (gnu_get_libc_version).
SystemVersion runningSystemVersion();

} // namespace kelvarn::update
