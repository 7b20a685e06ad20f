#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>

namespace kelvarn::update {

enum class SignatureCheck {
    valid,
    badKey,     // the public key is not a minisign Ed25519 key
    malformed,  // the signature file is not one
    otherKey,   // signed, but with a different key
    invalid,    // the file or the trusted comment does not match the signature
    unreadable, // the signed file could not be read
};

// Whether a text is a minisign Ed25519 public key as minisign prints it (the base64 line).
bool isMinisignPublicKey(const QString& text);

// Checks a detached minisign signature (the text of a .minisig file) of a file against a
// public key given as minisign prints it (the base64 line), including the signature over the
// trusted comment. Both the pre-hashed (BLAKE2b) and the legacy form are accepted.
SignatureCheck checkMinisignSignature(const QString& publicKey, const QByteArray& signature,
                                      const std::filesystem::path& file);

} // namespace kelvarn::update
