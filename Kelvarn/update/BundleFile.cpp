#include "update/BundleFile.h"

#include "update/DecimalInteger.h"

#include <QFile>
#include <QFileInfo>

#include <nlohmann/json.hpp>

namespace kelvarn::update {

namespace {

// A bundle file is a handful of short strings; anything much larger is not one.
constexpr qint64 kMaxBundleFileSize = 64 * 1024;

std::optional<QString> stringValue(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return QString::fromStdString(found->get<std::string>());
}

std::optional<QUrl> updateUrl(const std::optional<QString>& text) {
    if (!text) {
        return std::nullopt;
    }
    const QUrl url(*text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https")) {
        return std::nullopt;
    }
    return url;
}

} // namespace

std::optional<BundleFile> parseBundleFile(const QByteArray& text) {
    const auto json = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        return std::nullopt;
    }
    BundleFile file;
    file.updateUrl = updateUrl(stringValue(json, "KelvarnUpdateURL"));
    file.version = stringValue(json, "CFBundleShortVersionString");
    if (const auto build = stringValue(json, "CFBundleVersion")) {
        file.build = parseDecimalInteger(*build);
    }
    file.identifier = stringValue(json, "CFBundleIdentifier");
    file.publicKey = stringValue(json, "KelvarnUpdatePublicKey");
    return file;
}

std::optional<BundleFile> readBundleFile(const std::filesystem::path& bundleFolder) {
    const QString path = QString::fromStdString((bundleFolder / kBundleFileName).string());
    // Only a regular file: a pipe in its place would block the read.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxBundleFileSize) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return parseBundleFile(file.read(kMaxBundleFileSize + 1));
}

} // namespace kelvarn::update
