#pragma once

#include "support/Result.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kelvarn::update {

// The update folder's "version.json": the newest build and where its archive is.
struct Manifest {
    QString version; // shown, never compared
    qint64 build = 0;
    QString url; // absolute, or relative to the update folder
    std::optional<QString> notes;
    std::optional<QString> minimumSystemVersion;

    bool operator==(const Manifest&) const = default;
};

// One JSON object; other keys are ignored. A missing required key or a value of the wrong
// kind (a "build" that is not a JSON integer, for one) makes the whole manifest unreadable.
Result<Manifest> decodeManifest(const QByteArray& text);

} // namespace kelvarn::update
