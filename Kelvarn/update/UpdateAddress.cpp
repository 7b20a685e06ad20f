#include "update/UpdateAddress.h"

namespace kelvarn::update {

namespace {

QUrl asFolder(QUrl url) {
    if (!url.path().endsWith(u'/')) {
        url.setPath(url.path() + u'/');
    }
    return url;
}

} // namespace

QUrl manifestUrl(const QUrl& folder) {
    return asFolder(folder).resolved(QUrl(QStringLiteral("version.json")));
}

std::optional<QUrl> archiveUrl(const QUrl& folder, const QString& reference) {
    const QUrl relative(reference, QUrl::StrictMode);
    if (reference.isEmpty() || !relative.isValid()) {
        return std::nullopt;
    }
    const QUrl resolved = asFolder(folder).resolved(relative);
    if (resolved.scheme() != u"http" && resolved.scheme() != u"https") {
        return std::nullopt;
    }
    return resolved;
}

} // namespace kelvarn::update
