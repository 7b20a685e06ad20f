// Update manifests, bundle files and signature files of arbitrary bytes (three parts split at
// NUL): never a crash, and no made-up signature ever passes for the updater's key.
#include "FuzzChecks.h"

#include "update/BundleFile.h"
#include "update/Manifest.h"
#include "update/MinisignSignature.h"

#include <QByteArray>

using namespace kelvarn;

namespace {

// A real minisign public key; fuzzed signatures must never verify against it.
const QString kKey = QStringLiteral("RWQNcdVn55Vapx2qDfqsEV/gCJ8LoUvyo11E4z9GUK+38eeAE1igKGqd");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts =
        fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\0', 3);
    const auto bytes = [&](std::size_t i) {
        return i < parts.size() ? QByteArray::fromStdString(parts[i]) : QByteArray();
    };
    if (const auto manifest = update::decodeManifest(bytes(0))) {
        fuzz::require(!manifest.value().url.isNull() && !manifest.value().version.isNull(),
                      "a decoded manifest has its strings");
    }
    if (const auto file = update::parseBundleFile(bytes(1)); file && file->updateUrl) {
        fuzz::require(file->updateUrl->isValid(), "an update address is valid");
    }
    const auto checked =
        update::checkMinisignSignature(kKey, bytes(2), "/nonexistent/kelvarn-fuzz-archive");
    fuzz::require(checked != update::SignatureCheck::valid, "no forged signature passes");
    return 0;
}
