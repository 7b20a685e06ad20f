#pragma once

#include <QString>

#include <filesystem>

namespace kelvarn::testing {

// A minisign key pair made with `minisign -G -W` in a folder of the test's.
class SigningKey final {
public:
    explicit SigningKey(const std::filesystem::path& folder);

    // The public key as a bundle file holds it.
    const QString& publicKey() const { return m_publicKey; }
    // Writes FILE.minisig next to the file; legacy signs the file itself instead of its hash.
    void sign(const std::filesystem::path& file, bool legacy = false) const;

private:
    std::filesystem::path m_secretKey;
    QString m_publicKey;
};

} // namespace kelvarn::testing
