#include "update/BundleFile.h"
#include "update/DecimalInteger.h"
#include "update/Manifest.h"
#include "update/RunningBundle.h"
#include "update/SystemVersion.h"
#include "update/UpdateAddress.h"
#include "update/UpdateTexts.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn::update {
namespace {

TEST(DecimalInteger, AcceptsOnlyASignAndDigitsThatFit) {
    EXPECT_EQ(parseDecimalInteger(u"42"), 42);
    EXPECT_EQ(parseDecimalInteger(u"+42"), 42);
    EXPECT_EQ(parseDecimalInteger(u"-42"), -42);
    EXPECT_EQ(parseDecimalInteger(u"-9223372036854775808"), std::numeric_limits<qint64>::min());
    for (const char16_t* bad :
         {u"", u"+", u"-", u"+-4", u" 4", u"4 ", u"4.0", u"0x10", u"٣", u"9223372036854775808"}) {
        EXPECT_EQ(parseDecimalInteger(bad), std::nullopt) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(Manifest, DecodesRequiredAndOptionalKeysAndIgnoresOthers) {
    const auto manifest = decodeManifest(R"({"version":"2.0 “beta”","build":-3,"url":"a.zip",
        "notes":"Faster.","minimumSystemVersion":"2.36","extra":[1,2]})");
    ASSERT_TRUE(manifest) << manifest.error();
    EXPECT_EQ(manifest.value(), (Manifest{QStringLiteral("2.0 “beta”"), -3, QStringLiteral("a.zip"),
                                          QStringLiteral("Faster."), QStringLiteral("2.36")}));

    const auto bare = decodeManifest(R"({"version":"2","build":9223372036854775807,"url":"u"})");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare.value().build, std::numeric_limits<qint64>::max());
    EXPECT_EQ(bare.value().notes, std::nullopt);
    EXPECT_EQ(bare.value().minimumSystemVersion, std::nullopt);
}

TEST(Manifest, AMissingKeyOrAValueOfTheWrongKindMakesItUnreadable) {
    for (const char* text : {
             R"({"version":"2","build":"5","url":"u"})",
             R"({"version":"2","build":5.0,"url":"u"})",
             R"({"version":"2","build":5.5,"url":"u"})",
             R"({"version":"2","build":9223372036854775808,"url":"u"})",
             R"({"version":2,"build":5,"url":"u"})",
             R"({"build":5,"url":"u"})",
             R"({"version":"2","build":5})",
             R"({"version":"2","build":5,"url":"u","notes":7})",
             R"({"version":"2","build":5,"url":"u","minimumSystemVersion":27})",
             R"([{"version":"2","build":5,"url":"u"}])",
             R"({"version":"2","build":5,"url":"u")",
             "",
         }) {
        const auto manifest = decodeManifest(text);
        EXPECT_FALSE(manifest) << text;
        if (!manifest) {
            EXPECT_FALSE(manifest.error().empty());
        }
    }
}

TEST(SystemVersion, TheFirstTwoNumbersOfTheMinimumCount) {
    EXPECT_EQ(requiredSystemVersion("26.1.5"), (SystemVersion{26, 1, 0}));
    EXPECT_EQ(requiredSystemVersion("27"), (SystemVersion{27, 0, 0}));
    EXPECT_EQ(requiredSystemVersion("no number"), (SystemVersion{0, 0, 0}));
    EXPECT_EQ(requiredSystemVersion("..2.x.7"), (SystemVersion{2, 7, 0}));

    const SystemVersion running{26, 1, 0};
    EXPECT_TRUE(systemSupports(std::nullopt, running));
    EXPECT_TRUE(systemSupports("26.1.5", running));
    EXPECT_TRUE(systemSupports("no number", running));
    EXPECT_TRUE(systemSupports("25.9", running));
    EXPECT_FALSE(systemSupports("27", running));
    EXPECT_FALSE(systemSupports("26.2", running));

    const SystemVersion libc = runningSystemVersion();
    EXPECT_GE(libc.major, 2);
}

TEST(BundleFile, ReadsStringsLenientlyAndOnlyHttpUpdateAddresses) {
    const auto file = parseBundleFile(R"({"KelvarnUpdateURL":"https://example.org/kelvarn",
        "CFBundleShortVersionString":"1.2","CFBundleVersion":"+12","CFBundleIdentifier":"a.b",
        "KelvarnUpdatePublicKey":"RWQkey"})");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->updateUrl, QUrl("https://example.org/kelvarn"));
    EXPECT_EQ(file->version, "1.2");
    EXPECT_EQ(file->build, 12);
    EXPECT_EQ(file->identifier, "a.b");
    EXPECT_EQ(file->publicKey, "RWQkey");

    const auto odd = parseBundleFile(R"({"KelvarnUpdateURL":"not a url","CFBundleVersion":12,
        "CFBundleShortVersionString":1.2,"CFBundleIdentifier":null})");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->updateUrl, std::nullopt);
    EXPECT_EQ(odd->build, std::nullopt);
    const RunningBundle running{std::nullopt, *odd};
    EXPECT_EQ(running.version(), "?");
    EXPECT_EQ(running.build(), 0);
    EXPECT_EQ(odd->identifier, std::nullopt);

    for (const char* url : {"ftp://example.org/", "/updates", "https://", ""}) {
        const auto file = parseBundleFile(QByteArray(R"({"KelvarnUpdateURL":")") + url + R"("})");
        ASSERT_TRUE(file);
        EXPECT_EQ(file->updateUrl, std::nullopt) << url;
    }
    EXPECT_EQ(parseBundleFile("[]"), std::nullopt);
    EXPECT_EQ(parseBundleFile("{"), std::nullopt);
}

TEST(UpdateAddress, RelativeArchivesAreInsideTheFolderAndOnlyWebAddressesCount) {
    for (const char* folder : {"https://example.org/kelvarn", "https://example.org/kelvarn/"}) {
        EXPECT_EQ(manifestUrl(QUrl(folder)), QUrl("https://example.org/kelvarn/version.json"));
        EXPECT_EQ(archiveUrl(QUrl(folder), "Kelvarn-2.zip"),
                  QUrl("https://example.org/kelvarn/Kelvarn-2.zip"));
        EXPECT_EQ(archiveUrl(QUrl(folder), "/other/K.zip"),
                  QUrl("https://example.org/other/K.zip"));
        EXPECT_EQ(archiveUrl(QUrl(folder), "http://mirror.example/K.zip"),
                  QUrl("http://mirror.example/K.zip"));
        for (const char* bad : {"", "file:///etc/passwd", "ftp://example.org/K.zip", "http://[x"}) {
            EXPECT_EQ(archiveUrl(QUrl(folder), bad), std::nullopt) << bad;
        }
    }
}

TEST(UpdateTexts, TheBannerShowsWhatTheUserCanActOn) {
    const Manifest manifest{"2.0", 5, "K.zip", "Notes.", std::nullopt};
    EXPECT_EQ(bannerText(state::Available{manifest}, "1.0"), "Update available: 2.0");
    EXPECT_EQ(bannerText(state::UpToDate{}, "1.0"), "You're on the latest version (1.0).");
    EXPECT_EQ(bannerText(state::Installing{}, "1.0"), "Installing update — the app will restart…");
    EXPECT_EQ(bannerText(state::Failed{"Download failed."}, "1.0"), "Download failed.");
    EXPECT_EQ(bannerText(state::Idle{}, "1.0"), std::nullopt);
    EXPECT_EQ(bannerText(state::Checking{}, "1.0"), std::nullopt);
    EXPECT_EQ(versionLabel("1.2", 34), "Version 1.2 (34)");
}

TEST(RunningBundle, IsTheFolderAboveTheExecutablesWhenItHoldsABundleFile) {
    const testing::TempFolder temp;
    const auto bundle = temp.path() / "Kelvarn";
    std::filesystem::create_directories(bundle / "bin");
    std::ofstream(bundle / "bin" / "kelvarn") << "#!/bin/sh\n";
    std::filesystem::create_symlink(bundle / "bin" / "kelvarn", temp.path() / "link");
    EXPECT_EQ(bundleAround(bundle / "bin" / "kelvarn"), std::nullopt);

    std::ofstream(bundle / kBundleFileName) << R"({"CFBundleVersion":"3"})";
    EXPECT_EQ(bundleAround(bundle / "bin" / "kelvarn"), std::filesystem::canonical(bundle));
    EXPECT_EQ(bundleAround(temp.path() / "link"), std::filesystem::canonical(bundle));
    EXPECT_EQ(readBundleFile(bundle)->build, 3);

    // Tests run from the build tree: no bundle, the build's own version and no address.
    const RunningBundle self = runningBundle();
    EXPECT_EQ(self.location, std::nullopt);
    EXPECT_EQ(self.file.updateUrl, std::nullopt);
    EXPECT_NE(self.version(), "?");
}

} // namespace
} // namespace kelvarn::update
