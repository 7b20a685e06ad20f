#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace kelvarn::update {

// The update folder's "version.json", whether or not the folder's address ends in "/".
QUrl manifestUrl(const QUrl& folder);

// A manifest's archive address: absolute, or relative to the update folder (again with or
// without a trailing "/"). Absent when it is not a valid reference or not http(s): a file:
// address would read this computer's own files.
std::optional<QUrl> archiveUrl(const QUrl& folder, const QString& reference);

} // namespace kelvarn::update
