#include "update/Updater.h"

#include "update/StagingFolder.h"

#include "FakeRelauncher.h"
#include "FolderSnapshot.h"
#include "SigningKey.h"
#include "UpdateServer.h"
#include "ZipBuilder.h"

#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <set>

namespace kelvarn::update {
namespace {

using testing::await;
using testing::ZipEntry;

constexpr SystemVersion kSystem{2, 36, 0};
constexpr const char* kIdentifier = "app.kelvarn.Kelvarn";

std::string bundleFile(qint64 build, const std::string& identifier = kIdentifier,
                       const std::string& extra = {}) {
    return R"({"CFBundleShortVersionString":"2.0","CFBundleVersion":")" + std::to_string(build) +
           R"(","CFBundleIdentifier":")" + identifier + "\"" + extra + "}";
}

// The ELF header of this test program: what the updater takes for a program of this machine.
std::string program() {
    std::string header(64, '\0');
    std::ifstream("/proc/self/exe", std::ios::binary).read(header.data(), 64);
    return header;
}

std::vector<ZipEntry> newBundle(const std::string& top = "Kelvarn", qint64 build = 5,
                                const std::string& identifier = kIdentifier) {
    return {{top + "/", "", ZipEntry::Kind::folder},
            {top + "/kelvarn-bundle.json", bundleFile(build, identifier)},
            {top + "/bin/kelvarn", program()},
            {top + "/bin/kelvarnctl", "new ctl"},
            {top + "/lib/libkelvarn.so.2", "library"},
            {top + "/lib/libkelvarn.so", "libkelvarn.so.2", ZipEntry::Kind::symlink}};
}

class UpdaterInstall : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_updates);
        std::filesystem::create_directories(m_bundle / "bin");
        std::filesystem::create_directories(m_keys / "other");
        std::ofstream(m_bundle / "bin" / "kelvarn") << "#!/bin/sh\necho old\n";
        writeRunningBundleFile(m_key.publicKey());
        publish(newBundle());
    }

    void writeRunningBundleFile(const QString& key) {
        std::ofstream(m_bundle / kBundleFileName, std::ios::trunc) << bundleFile(
            4, kIdentifier,
            R"(,"KelvarnUpdateURL":")" + m_server.url("updates").toString().toStdString() +
                R"(","KelvarnUpdatePublicKey":")" + key.toStdString() + "\"");
    }

    // A signed archive with these entries and a manifest pointing at it.
    void publish(const std::vector<ZipEntry>& entries, const std::string& url = "Kelvarn-2.zip") {
        writeZip(m_archive, entries);
        m_key.sign(m_archive);
        std::ofstream(m_updates / "version.json", std::ios::trunc)
            << R"({"version":"2.0","build":5,"url":")" + url + "\"}";
    }

    // An updater for the bundle in the install folder, with the update on offer.
    std::unique_ptr<Updater>
    availableUpdater(bool fromBundle = true,
                     std::chrono::milliseconds downloadTimeLimit = Updater::kDownloadTimeLimit) {
        RunningBundle running{m_bundle, *readBundleFile(m_bundle)};
        if (!fromBundle) {
            running.location.reset();
        }
        auto updater = std::make_unique<Updater>(running, kSystem, m_relauncher, downloadTimeLimit);
        EXPECT_TRUE(await(updater->check(true)));
        EXPECT_TRUE(std::holds_alternative<state::Available>(updater->state()));
        return updater;
    }

    std::vector<std::string> installFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_install)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    void expectFailureLeavesBundle(Updater& updater, const QString& message) {
        const auto before = testing::snapshot(m_bundle);
        ASSERT_TRUE(await(updater.install()));
        EXPECT_EQ(updater.state(), UpdateState(state::Failed{message}));
        EXPECT_EQ(testing::snapshot(m_bundle), before);
        EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
        EXPECT_TRUE(m_relauncher.m_relaunched.empty());
    }

    testing::TempFolder m_root;
    std::filesystem::path m_updates = m_root.path() / "server" / "updates";
    std::filesystem::path m_install = m_root.path() / "install";
    std::filesystem::path m_bundle = m_install / "Kelvarn";
    std::filesystem::path m_keys = m_root.path() / "keys";
    std::filesystem::path m_archive = m_updates / "Kelvarn-2.zip";
    testing::UpdateServer m_server{m_root.path() / "server"};
    testing::SigningKey m_key{
        (std::filesystem::create_directories(m_root.path() / "keys"), m_root.path() / "keys")};
    testing::FakeRelauncher m_relauncher;
};

TEST_F(UpdaterInstall, ASignedNewerBundleReplacesTheRunningOneAndRelaunches) {
    auto updater = availableUpdater();
    ASSERT_TRUE(await(updater->install()));
    EXPECT_EQ(updater->state(), UpdateState(state::Installing{}));
    EXPECT_EQ(m_relauncher.m_relaunched, std::vector<std::filesystem::path>{m_bundle});

    std::map<std::string, std::string> expected;
    for (const auto& entry : newBundle()) {
        if (entry.path != "Kelvarn/") {
            const auto kind = entry.kind == ZipEntry::Kind::symlink ? "link:" : "file:";
            expected[entry.path.substr(8)] = kind + entry.content;
        }
    }
    expected["bin"] = expected["lib"] = "folder";
    EXPECT_EQ(testing::snapshot(m_bundle), expected);
    EXPECT_EQ(std::filesystem::status(m_bundle / "bin" / "kelvarn").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
    EXPECT_EQ(m_server.requests(), QStringList({"/updates/version.json", "/updates/Kelvarn-2.zip",
                                                "/updates/Kelvarn-2.zip.minisig"}));
}

TEST_F(UpdaterInstall, EveryRefusedDownloadLeavesTheInstalledBundleAsItWas) {
    const testing::SigningKey otherKey(m_keys / "other");
    const std::vector<ZipEntry> outside = {{"Kelvarn/", "", ZipEntry::Kind::folder},
                                           {"Kelvarn/kelvarn-bundle.json", bundleFile(5)},
                                           {"../escaped", "boo"}};
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        {[&] { std::ofstream(m_archive, std::ios::app) << "tampered"; },
         "The download's signature isn't valid."},
        {[&] { otherKey.sign(m_archive); }, "The download isn't signed with Kelvarn's update key."},
        {[&] { std::filesystem::remove(m_archive.string() + ".minisig"); },
         "The download has no signature."},
        {[&] { std::filesystem::remove(m_archive); }, "Download failed."},
        {[&] {
             publish(newBundle(),
                     m_server.url("cut/updates/Kelvarn-2.zip").toString().toStdString());
         },
         "Download failed."},
        {[&] { publish(outside); },
         "The download couldn't be unpacked: an entry points outside its folder (“../escaped”)."},
        {[&] {
             publish({{"Kelvarn/kelvarn-bundle.json", bundleFile(5)},
                      {"/tmp/kelvarn-absolute-escape", "boo"}});
         },
         "The download couldn't be unpacked: an entry points outside its folder "
         "(“/tmp/kelvarn-absolute-escape”)."},
        {[&] {
             publish({{"Kelvarn/kelvarn-bundle.json", bundleFile(5)},
                      {"Kelvarn/up", "../..", ZipEntry::Kind::symlink},
                      {"Kelvarn/up/escaped", "boo"}});
         },
         "The download couldn't be unpacked: a link points outside its folder (“Kelvarn/up”)."},
        {[&] {
             publish({{"Kelvarn/etc", "/etc", ZipEntry::Kind::symlink}});
         },
         "The download couldn't be unpacked: a link points outside its folder (“Kelvarn/etc”)."},
        {[&] { publish(newBundle("Release/Kelvarn")); }, "The download didn't contain an app."},
        {[&] {
             publish({{"Kelvarn", "a file, not a folder"}});
         },
         "The download didn't contain an app."},
        {[&] { publish(newBundle("Kelvarn", 5, "org.example.Other")); },
         "The downloaded app isn't a newer Kelvarn."},
        {[&] { publish(newBundle("Kelvarn", 4)); }, "The downloaded app isn't a newer Kelvarn."},
        {[&] { publish(newBundle("Kelvarn", 3)); }, "The downloaded app isn't a newer Kelvarn."},
        {[&] {
             publish({{"Kelvarn/kelvarn-bundle.json", "{not json"}});
         },
         "The downloaded app isn't a newer Kelvarn."},
        {[&] { publish(newBundle(), "file:///etc/hostname"); },
         "Update failed: the update's address “file:///etc/hostname” isn't a web address."},
    };
    for (const auto& [spoil, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        publish(newBundle());
        spoil();
        auto updater = availableUpdater();
        expectFailureLeavesBundle(*updater, message);
    }
    EXPECT_FALSE(std::filesystem::exists(m_root.path() / "server" / "escaped"));
    EXPECT_FALSE(std::filesystem::exists(m_install / "escaped"));
    EXPECT_FALSE(std::filesystem::exists(m_root.path() / "escaped"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/kelvarn-absolute-escape"));
}

TEST_F(UpdaterInstall, ABundleWithoutAProgramForThisMachineIsRefused) {
    std::string otherMachine = program();
    otherMachine[18] = char(otherMachine[18] ^ 0x7f); // e_machine
    std::string otherWordSize = program();
    otherWordSize[4] = char(otherWordSize[4] == 1 ? 2 : 1); // EI_CLASS
    const auto withProgram = [](std::vector<ZipEntry> extra) {
        std::vector<ZipEntry> entries = {{"Kelvarn/", "", ZipEntry::Kind::folder},
                                         {"Kelvarn/kelvarn-bundle.json", bundleFile(5)},
                                         {"Kelvarn/bin/kelvarn.real", program()}};
        entries.insert(entries.end(), extra.begin(), extra.end());
        return entries;
    };
    const std::vector<std::vector<ZipEntry>> cases = {
        withProgram({}),
        withProgram({{"Kelvarn/bin/kelvarn", "#!/bin/sh\necho new\n"}}),
        withProgram({{"Kelvarn/bin/kelvarn", program(), ZipEntry::Kind::file, 0644}}),
        withProgram({{"Kelvarn/bin/kelvarn/", "", ZipEntry::Kind::folder}}),
        withProgram({{"Kelvarn/bin/kelvarn", "kelvarn.real", ZipEntry::Kind::symlink}}),
        withProgram({{"Kelvarn/bin/kelvarn", otherMachine}}),
        withProgram({{"Kelvarn/bin/kelvarn", otherWordSize}}),
        withProgram({{"Kelvarn/bin/kelvarn", program().substr(0, 19)}}),
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        publish(cases[i]);
        auto updater = availableUpdater();
        expectFailureLeavesBundle(*updater,
                                  "The downloaded app has no program this computer can run.");
    }

    // Without an identifier on either side nothing says the download is this app.
    std::ofstream(m_bundle / kBundleFileName, std::ios::trunc)
        << R"({"CFBundleVersion":"4","KelvarnUpdateURL":")" +
               m_server.url("updates").toString().toStdString() +
               R"(","KelvarnUpdatePublicKey":")" + m_key.publicKey().toStdString() + "\"}";
    publish({{"Kelvarn/kelvarn-bundle.json", R"({"CFBundleVersion":"5"})"},
             {"Kelvarn/bin/kelvarn", program()}});
    auto updater = availableUpdater();
    expectFailureLeavesBundle(*updater, "The downloaded app isn't a newer Kelvarn.");
}

TEST_F(UpdaterInstall, AStartingUpdaterRemovesTheStagingFoldersNoInstallHolds) {
    const auto abandoned = m_install / ".kelvarn-update-Ab12Cd";
    std::filesystem::create_directories(abandoned / "unpacked" / "Kelvarn" / "bin");
    std::ofstream(abandoned / "update.zip") << "half a download";
    std::filesystem::permissions(abandoned / "unpacked" / "Kelvarn" / "bin",
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_exec);
    std::ofstream(m_install / ".kelvarn-update-notes") << "not a folder";
    std::filesystem::create_directory(m_install / "Other");
    auto held = StagingFolder::createIn(m_install);
    ASSERT_TRUE(held);
    std::ofstream(held->path() / "update.zip") << "downloading";

    const Updater updater(RunningBundle{m_bundle, *readBundleFile(m_bundle)}, kSystem,
                          m_relauncher);
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(held->path() / "update.zip")) << "an install holds it";
    const auto names = installFolder();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{".kelvarn-update-notes", held->path().filename(), "Kelvarn",
                                     "Other"}));
}

TEST_F(UpdaterInstall, ARunningBundleThatCannotTakeAnUpdateFailsBeforeDownloading) {
    auto outside = availableUpdater(false);
    expectFailureLeavesBundle(*outside, "Not running from an app bundle.");

    writeRunningBundleFile({});
    std::ofstream(m_bundle / kBundleFileName, std::ios::trunc) << bundleFile(
        4, kIdentifier,
        R"(,"KelvarnUpdateURL":")" + m_server.url("updates").toString().toStdString() + "\"");
    auto keyless = availableUpdater();
    expectFailureLeavesBundle(*keyless, "This Kelvarn can't install updates: its bundle has no "
                                        "update key (KelvarnUpdatePublicKey).");

    writeRunningBundleFile("not a key");
    auto badKey = availableUpdater();
    expectFailureLeavesBundle(*badKey, "This Kelvarn can't install updates: its update key isn't "
                                       "a minisign public key.");

    // Only the three manifest requests: nothing was downloaded.
    EXPECT_EQ(m_server.requests().filter("Kelvarn-2.zip").size(), 0);
}

TEST_F(UpdaterInstall, AReadOnlyInstallFolderIsNamedBeforeDownloading) {
    auto updater = availableUpdater();
    std::filesystem::permissions(m_root.path(), std::filesystem::perms::all);
    std::filesystem::permissions(
        m_install, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                       std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    const auto before = testing::snapshot(m_bundle);
    // Root may write anywhere; file access as nobody makes the folder read-only for it too.
    const bool root = ::geteuid() == 0;
    if (root) {
        ::setfsuid(65534);
    }
    auto install = updater->install();
    if (root) {
        ::setfsuid(0);
    }
    ASSERT_TRUE(await(std::move(install)));
    std::filesystem::permissions(m_install, std::filesystem::perms::owner_all);
    EXPECT_EQ(updater->state(),
              UpdateState(state::Failed{
                  "Kelvarn can't replace itself in “" + QString::fromStdString(m_install.string()) +
                  "” because that folder isn't writable. Move Kelvarn to a folder you own, then "
                  "open it from there and update again."}));
    EXPECT_EQ(testing::snapshot(m_bundle), before);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
    EXPECT_EQ(m_server.requests().filter("Kelvarn-2.zip").size(), 0);
}

TEST_F(UpdaterInstall, InstallActsOnlyOnAnAvailableUpdateAndAFailedRelaunchIsReported) {
    RunningBundle running{m_bundle, *readBundleFile(m_bundle)};
    Updater idle(running, kSystem, m_relauncher);
    ASSERT_TRUE(await(idle.install()));
    EXPECT_EQ(idle.state(), UpdateState(state::Idle{}));
    idle.setState(state::Failed{"x"});
    ASSERT_TRUE(await(idle.install()));
    EXPECT_EQ(idle.state(), UpdateState(state::Failed{"x"}));
    EXPECT_TRUE(m_server.requests().isEmpty());

    // A check while installing leaves the install alone.
    auto updater = availableUpdater();
    m_relauncher.m_failure = "/bin/sh couldn't be started.";
    auto install = updater->install();
    ASSERT_TRUE(await(updater->check(true)));
    EXPECT_EQ(updater->state(), UpdateState(state::Installing{}));
    ASSERT_TRUE(await(std::move(install)));
    // The new bundle is in place and starts next time; this process keeps running.
    EXPECT_EQ(updater->state(),
              UpdateState(state::Failed{"Update failed: /bin/sh couldn't be started."}));
    EXPECT_EQ(readBundleFile(m_bundle)->build, 5);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
}

TEST_F(UpdaterInstall, AnInstallWhoseUpdaterIsGoneLeavesNothingBehindWhenTheDownloadEnds) {
    publish(newBundle(), m_server.url("hold/updates/Kelvarn-2.zip").toString().toStdString());
    auto updater = availableUpdater();
    const auto before = testing::snapshot(m_bundle);
    auto install = updater->install();
    ASSERT_TRUE(testing::runUntil(
        [&] { return m_server.requests().contains("/hold/updates/Kelvarn-2.zip"); }));
    updater.reset();
    m_server.release();
    ASSERT_TRUE(await(std::move(install))) << "the download came, and the install ended";
    EXPECT_EQ(testing::snapshot(m_bundle), before);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"}) << "no staging folder left";
    EXPECT_TRUE(m_relauncher.m_relaunched.empty());
    EXPECT_TRUE(m_server.requests().filter("minisig").isEmpty()) << "nothing more was fetched";
}

TEST_F(UpdaterInstall, ACancelOrTheTimeLimitEndsTheDownloadAndLeavesNothingBehind) {
    publish(newBundle(), m_server.url("hold/updates/Kelvarn-2.zip").toString().toStdString());
    auto updater = availableUpdater();
    updater->cancel();
    EXPECT_TRUE(std::holds_alternative<state::Available>(updater->state())) << "nothing to cancel";
    const auto before = testing::snapshot(m_bundle);
    auto install = updater->install();
    ASSERT_TRUE(testing::runUntil(
        [&] { return m_server.requests().contains("/hold/updates/Kelvarn-2.zip"); }));
    updater->cancel();
    ASSERT_TRUE(await(std::move(install)));
    EXPECT_EQ(updater->state(), UpdateState(state::Failed{"Update cancelled."}));
    EXPECT_EQ(testing::snapshot(m_bundle), before);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
    m_server.release();

    // Bytes keep coming, but too slowly for the whole download to end in time.
    publish(newBundle(), m_server.url("trickle/updates/Kelvarn-2.zip").toString().toStdString());
    auto slow = availableUpdater(true, std::chrono::milliseconds(300));
    ASSERT_TRUE(await(slow->install()));
    EXPECT_EQ(slow->state(),
              UpdateState(state::Failed{"Update failed: the download took too long."}));
    EXPECT_EQ(testing::snapshot(m_bundle), before);
    EXPECT_EQ(installFolder(), std::vector<std::string>{"Kelvarn"});
    EXPECT_TRUE(m_relauncher.m_relaunched.empty());
    EXPECT_TRUE(m_server.requests().filter("minisig").isEmpty());
}

TEST_F(UpdaterInstall, AnUpdatePublishedWithTheScriptInstallsAsItWasBuilt) {
    const auto built = m_root.path() / "build" / "Kelvarn";
    std::filesystem::create_directories(built / "bin");
    std::filesystem::create_directories(built / "share" / "empty");
    std::ofstream(built / kBundleFileName) << bundleFile(5);
    std::ofstream(built / "bin" / "kelvarn") << program();
    std::filesystem::permissions(built / "bin" / "kelvarn", std::filesystem::perms::owner_all);
    std::ofstream(built / "bin" / "kelvarnctl") << "ctl";
    std::filesystem::create_symlink("kelvarnctl", built / "bin" / "ctl");

    QProcess publish;
    publish.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    publish.start("python3", {KELVARN_PUBLISH_SCRIPT, QString::fromStdString(built.string()),
                              QString::fromStdString(m_updates.string()), "--key",
                              QString::fromStdString((m_keys / "key.sec").string()), "--notes",
                              "Faster “fixes”."});
    ASSERT_TRUE(publish.waitForFinished(20'000));
    ASSERT_EQ(publish.exitCode(), 0);

    auto updater = availableUpdater();
    const auto* available = std::get_if<state::Available>(&updater->state());
    ASSERT_NE(available, nullptr);
    EXPECT_EQ(available->manifest.version, "2.0");
    EXPECT_EQ(available->manifest.notes, "Faster “fixes”.");
    EXPECT_TRUE(available->manifest.minimumSystemVersion.has_value());
    ASSERT_TRUE(await(updater->install()));
    EXPECT_EQ(updater->state(), UpdateState(state::Installing{}));
    EXPECT_EQ(testing::snapshot(m_bundle), testing::snapshot(built));
    EXPECT_EQ(std::filesystem::status(m_bundle / "bin" / "kelvarn").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec);
}

} // namespace
} // namespace kelvarn::update
