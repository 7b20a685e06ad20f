#include "update/SystemVersion.h"

#include "update/DecimalInteger.h"

#include <QStringList>

#include <gnu/libc-version.h>

#include <vector>

namespace kelvarn::update {

namespace {

std::vector<qint64> numbers(const QString& dotted) {
    std::vector<qint64> found;
    for (const QString& piece : dotted.split(u'.', Qt::SkipEmptyParts)) {
        if (const auto number = parseDecimalInteger(piece)) {
            found.push_back(*number);
        }
    }
    return found;
}

} // namespace

SystemVersion requiredSystemVersion(const QString& minimum) {
    const auto parts = numbers(minimum);
    return {parts.size() > 0 ? parts[0] : 0, parts.size() > 1 ? parts[1] : 0, 0};
}

bool systemSupports(const std::optional<QString>& minimum, SystemVersion running) {
    return !minimum || running >= requiredSystemVersion(*minimum);
}

SystemVersion runningSystemVersion() {
    const auto parts = numbers(QString::fromLatin1(::gnu_get_libc_version()));
    SystemVersion version;
    version.major = parts.size() > 0 ? parts[0] : 0;
    version.minor = parts.size() > 1 ? parts[1] : 0;
    version.patch = parts.size() > 2 ? parts[2] : 0;
    return version;
}

} // namespace kelvarn::update
