#include "update/MinisignSignature.h"
#include "update/ShellRelauncher.h"

#include "SigningKey.h"

#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QProcess>

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

TEST(ShellRelauncher, StartsTheBundlesProgramDetachedOnceTheOldProcessHasEndedAndQuits) {
    const testing::TempFolder temp;
    // A space and a quote in the path must reach the program unharmed.
    const auto bundle = temp.path() / "My \"Kelvarn\"";
    std::filesystem::create_directories(bundle / "bin");
    const auto order = temp.path() / "order";
    std::ofstream(bundle / "bin" / "kelvarn")
        << "#!/bin/sh\necho new >> '" << order.string() << "'\n";
    std::filesystem::permissions(bundle / "bin" / "kelvarn", std::filesystem::perms::owner_all);
    // An old process slower to quit than a fixed pause would allow for.
    QProcess old;
    old.start("/bin/sh", {"-c", "sleep 2; echo old >> \"$0\"", QString::fromStdString(order)});
    ASSERT_TRUE(old.waitForStarted());

    int quits = 0;
    ShellRelauncher relauncher([&] { ++quits; }, old.processId());
    ASSERT_TRUE(relauncher.relaunch(bundle));
    EXPECT_EQ(quits, 1);
    ASSERT_TRUE(testing::runUntil([&] { return readAll(order).contains("new"); }, 30s));
    EXPECT_EQ(readAll(order), "old\nnew\n");
}

} // namespace
} // namespace kelvarn::update
