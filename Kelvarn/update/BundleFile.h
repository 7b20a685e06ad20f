#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <optional>

namespace kelvarn::update {

// The file at the top of a bundle folder that says what the bundle is.
inline constexpr const char* kBundleFileName = "kelvarn-bundle.json";

// What a bundle file says, read leniently: a key that is missing or holds the wrong kind of
// value is treated as absent.
struct BundleFile {
    std::optional<QUrl> updateUrl;     // KelvarnUpdateURL: an absolute http(s) address
    std::optional<QString> version;    // CFBundleShortVersionString
    std::optional<qint64> build;       // CFBundleVersion, a decimal string
    std::optional<QString> identifier; // CFBundleIdentifier
    std::optional<QString> publicKey;  // KelvarnUpdatePublicKey, a minisign public key
};

// Absent when the folder holds no readable bundle file whose text is one JSON object.
std::optional<BundleFile> readBundleFile(const std::filesystem::path& bundleFolder);

// The same rules for a file's text.
std::optional<BundleFile> parseBundleFile(const QByteArray& text);

} // namespace kelvarn::update
