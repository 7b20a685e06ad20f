#include "update/MinisignSignature.h"

#include <QFile>
#include <QList>

#include <sodium.h>

#include <array>
#include <cstring>

namespace kelvarn::update {

namespace {

constexpr qsizetype kAlgorithmSize = 2;
constexpr qsizetype kKeyIdSize = 8;
constexpr qsizetype kPublicKeySize = kAlgorithmSize + kKeyIdSize + crypto_sign_PUBLICKEYBYTES;
constexpr qsizetype kSignatureSize = kAlgorithmSize + kKeyIdSize + crypto_sign_BYTES;
constexpr qint64 kChunkSize = 64 * 1024;

std::optional<QByteArray> decodeBase64(const QByteArray& text, qsizetype size) {
    const auto decoded =
        QByteArray::fromBase64Encoding(text.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size) {
        return std::nullopt;
    }
    return decoded.decoded;
}

const unsigned char* bytes(const QByteArray& data, qsizetype offset = 0) {
    return reinterpret_cast<const unsigned char*>(data.constData()) + offset;
}

// The signed message: the file itself (legacy "Ed") or its BLAKE2b-512 hash ("ED").
std::optional<QByteArray> signedMessage(const std::filesystem::path& path, bool prehashed) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    if (!prehashed) {
        QByteArray whole = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return std::nullopt;
        }
        return whole;
    }
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MAX);
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunkSize);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError) {
            return std::nullopt;
        }
        crypto_generichash_update(&state, bytes(chunk),
                                  static_cast<unsigned long long>(chunk.size()));
    }
    QByteArray hash(crypto_generichash_BYTES_MAX, '\0');
    crypto_generichash_final(&state, reinterpret_cast<unsigned char*>(hash.data()),
                             static_cast<std::size_t>(hash.size()));
    return hash;
}

bool verify(const QByteArray& signature, qsizetype offset, const QByteArray& message,
            const QByteArray& key) {
    return crypto_sign_verify_detached(bytes(signature, offset), bytes(message),
                                       static_cast<unsigned long long>(message.size()),
                                       bytes(key, kAlgorithmSize + kKeyIdSize)) == 0;
}

std::optional<QByteArray> decodePublicKey(const QString& text) {
    const auto key = decodeBase64(text.toLatin1(), kPublicKeySize);
    if (!key || !key->startsWith("Ed")) {
        return std::nullopt;
    }
    return key;
}

} // namespace

bool isMinisignPublicKey(const QString& text) {
    return decodePublicKey(text).has_value();
}

SignatureCheck checkMinisignSignature(const QString& publicKey, const QByteArray& signature,
                                      const std::filesystem::path& file) {
    if (sodium_init() < 0) {
        return SignatureCheck::invalid;
    }
    const auto key = decodePublicKey(publicKey);
    if (!key) {
        return SignatureCheck::badKey;
    }

    // untrusted comment, signature, trusted comment, signature over signature and comment
    const QList<QByteArray> lines = signature.split('\n');
    constexpr const char* trustedPrefix = "trusted comment: ";
    if (lines.size() < 4 || !lines[0].startsWith("untrusted comment: ") ||
        !lines[2].startsWith(trustedPrefix)) {
        return SignatureCheck::malformed;
    }
    const auto fileSignature = decodeBase64(lines[1], kSignatureSize);
    const auto globalSignature = decodeBase64(lines[3], crypto_sign_BYTES);
    if (!fileSignature || !globalSignature) {
        return SignatureCheck::malformed;
    }
    const QByteArray algorithm = fileSignature->left(kAlgorithmSize);
    if (algorithm != "Ed" && algorithm != "ED") {
        return SignatureCheck::malformed;
    }
    if (fileSignature->mid(kAlgorithmSize, kKeyIdSize) != key->mid(kAlgorithmSize, kKeyIdSize)) {
        return SignatureCheck::otherKey;
    }

    const QByteArray comment = lines[2].mid(qsizetype(std::strlen(trustedPrefix)));
    const QByteArray signedComment =
        fileSignature->mid(kAlgorithmSize + kKeyIdSize) + comment.chopped(comment.endsWith('\r'));
    if (!verify(*globalSignature, 0, signedComment, *key)) {
        return SignatureCheck::invalid;
    }
    const auto message = signedMessage(file, algorithm == "ED");
    if (!message) {
        return SignatureCheck::unreadable;
    }
    return verify(*fileSignature, kAlgorithmSize + kKeyIdSize, *message, *key)
               ? SignatureCheck::valid
               : SignatureCheck::invalid;
}

} // namespace kelvarn::update
