#include "SigningKey.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <stdexcept>

namespace kelvarn::testing {

namespace {

void runMinisign(const QStringList& arguments) {
    QProcess minisign;
    minisign.setStandardInputFile(QProcess::nullDevice());
    minisign.setStandardOutputFile(QProcess::nullDevice());
    minisign.start(QStringLiteral("minisign"), arguments);
    if (!minisign.waitForFinished(10'000) || minisign.exitStatus() != QProcess::NormalExit ||
        minisign.exitCode() != 0) {
        throw std::runtime_error("minisign failed: " + arguments.join(' ').toStdString());
    }
}

} // namespace

SigningKey::SigningKey(const std::filesystem::path& folder) : m_secretKey(folder / "key.sec") {
    const auto publicKey = folder / "key.pub";
    runMinisign({"-G", "-W", "-p", QString::fromStdString(publicKey.string()), "-s",
                 QString::fromStdString(m_secretKey.string())});
    QFile file(QString::fromStdString(publicKey.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("no public key");
    }
    m_publicKey = QString::fromLatin1(file.readAll().split('\n').value(1)).trimmed();
}

void SigningKey::sign(const std::filesystem::path& file, bool legacy) const {
    QStringList arguments{"-S", "-s", QString::fromStdString(m_secretKey.string()), "-m",
                          QString::fromStdString(file.string())};
    if (legacy) {
        arguments << "-l";
    }
    runMinisign(arguments);
}

} // namespace kelvarn::testing
