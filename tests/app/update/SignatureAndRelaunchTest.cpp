#include "update/MinisignSignature.h"
#include "update/ShellRelauncher.h"

#include "SigningKey.h"

#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn::update {
namespace {

using namespace std::chrono_literals;

QByteArray readAll(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MinisignSignature, ChecksTheFileTheKeyAndTheTrustedComment) {
    const testing::TempFolder temp;
    const testing::SigningKey key(temp.path());
    const auto file = temp.path() / "update.zip";
    std::ofstream(file) << "archive bytes";
    for (const bool legacy : {false, true}) {
        key.sign(file, legacy);
        const QByteArray signature = readAll(file.string() + ".minisig");
        EXPECT_EQ(checkMinisignSignature(key.publicKey(), signature, file), SignatureCheck::valid);

        QByteArray comment = signature;
        comment.replace("trusted comment: ", "trusted comment: forged ");
        EXPECT_EQ(checkMinisignSignature(key.publicKey(), comment, file), SignatureCheck::invalid);
        EXPECT_EQ(checkMinisignSignature(key.publicKey(), signature.left(60), file),
                  SignatureCheck::malformed);
        EXPECT_EQ(checkMinisignSignature(key.publicKey(), signature, temp.path() / "missing"),
                  SignatureCheck::unreadable);
    }
    EXPECT_TRUE(isMinisignPublicKey(key.publicKey()));
    EXPECT_FALSE(isMinisignPublicKey(key.publicKey().left(20)));
    EXPECT_FALSE(isMinisignPublicKey(""));
}

TEST(ShellRelauncher, StartsTheBundlesProgramDetachedAndQuits) {
    const testing::TempFolder temp;
    // A space and a quote in the path must reach the program unharmed.
    const auto bundle = temp.path() / "My \"Kelvarn\"";
    std::filesystem::create_directories(bundle / "bin");
    const auto marker = temp.path() / "started";
    std::ofstream(bundle / "bin" / "kelvarn") << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
    std::filesystem::permissions(bundle / "bin" / "kelvarn", std::filesystem::perms::owner_all);

    int quits = 0;
    ShellRelauncher relauncher([&] { ++quits; });
    ASSERT_TRUE(relauncher.relaunch(bundle));
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(testing::runUntil([&] { return std::filesystem::exists(marker); }, 10s));
}

} // namespace
} // namespace kelvarn::update
