#include "update/Updater.h"

#include "FakeRelauncher.h"
#include "UpdateServer.h"

#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn::update {
namespace {

using testing::await;
using namespace std::chrono_literals;

constexpr SystemVersion kSystem{26, 1, 3};

class UpdaterCheck : public ::testing::Test {
protected:
    std::unique_ptr<Updater> updater(qint64 build, const QString& folder = "updates",
                                     SystemVersion system = kSystem) {
        RunningBundle bundle;
        bundle.file.updateUrl = m_server.url(folder);
        bundle.file.version = QStringLiteral("1.0");
        bundle.file.build = build;
        return std::make_unique<Updater>(bundle, system, m_relauncher);
    }

    void serveManifest(const std::string& json) {
        std::filesystem::create_directories(m_root.path() / "updates");
        std::ofstream(m_root.path() / "updates" / "version.json", std::ios::trunc) << json;
    }

    static std::string manifest(qint64 build, const std::string& extra = {}) {
        return R"({"version":"2.0","build":)" + std::to_string(build) +
               R"(,"url":"Kelvarn-2.zip")" + extra + "}";
    }

    testing::FakeRelauncher m_relauncher;
    testing::TempFolder m_root;
    testing::UpdateServer m_server{m_root.path()};
};

TEST_F(UpdaterCheck, OnlyAHigherBuildIsAnUpdateAndAQuietCheckEndsIdle) {
    serveManifest(manifest(5, R"(,"notes":"Faster.")"));
    auto older = updater(4);
    ASSERT_TRUE(await(older->check(false)));
    EXPECT_EQ(older->state(),
              UpdateState(state::Available{{"2.0", 5, "Kelvarn-2.zip", "Faster.", std::nullopt}}));

    // An equal build is no update, whatever its version says.
    auto same = updater(5);
    ASSERT_TRUE(await(same->check(true)));
    EXPECT_EQ(same->state(), UpdateState(state::UpToDate{}));
    ASSERT_TRUE(await(same->check(false)));
    EXPECT_EQ(same->state(), UpdateState(state::Idle{}));

    auto newer = updater(6);
    ASSERT_TRUE(await(newer->check(true)));
    EXPECT_EQ(newer->state(), UpdateState(state::UpToDate{}));
}

TEST_F(UpdaterCheck, AMinimumSystemVersionCountsMajorAndMinorOnly) {
    const std::pair<std::string, bool> cases[] = {
        {R"(,"minimumSystemVersion":"26.1.5")", true},
        {R"(,"minimumSystemVersion":"27")", false},
        {R"(,"minimumSystemVersion":"26.2")", false},
        {R"(,"minimumSystemVersion":"no number")", true},
        {"", true},
    };
    for (const auto& [extra, supported] : cases) {
        serveManifest(manifest(5, extra));
        auto checker = updater(4);
        ASSERT_TRUE(await(checker->check(true)));
        EXPECT_EQ(std::holds_alternative<state::Available>(checker->state()), supported) << extra;
        if (!supported) {
            EXPECT_EQ(checker->state(), UpdateState(state::UpToDate{})) << extra;
        }
    }
}

TEST_F(UpdaterCheck, AFailedCheckSpeaksOnlyWhenTheUserAsked) {
    auto checker = updater(4);
    // No version.json: the server answers 404.
    ASSERT_TRUE(await(checker->check(true)));
    EXPECT_EQ(checker->state(),
              UpdateState(state::Failed{"Couldn't check for updates: Update server unavailable."}));
    ASSERT_TRUE(await(checker->check(false)));
    EXPECT_EQ(checker->state(), UpdateState(state::Idle{}));

    // A build written as a JSON string is not a manifest.
    serveManifest(R"({"version":"2.0","build":"5","url":"Kelvarn-2.zip"})");
    ASSERT_TRUE(await(checker->check(true)));
    const auto* failed = std::get_if<state::Failed>(&checker->state());
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->message.startsWith("Couldn't check for updates: "));
    EXPECT_GT(failed->message.size(), QString("Couldn't check for updates: ").size());
    ASSERT_TRUE(await(checker->check(false)));
    EXPECT_EQ(checker->state(), UpdateState(state::Idle{}));

    // Nobody listening: the network's own description.
    RunningBundle bundle;
    bundle.file.updateUrl = QUrl("http://127.0.0.1:1/updates");
    Updater unreachable(bundle, kSystem, m_relauncher);
    ASSERT_TRUE(await(unreachable.check(true)));
    failed = std::get_if<state::Failed>(&unreachable.state());
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->message.startsWith("Couldn't check for updates: "));
}

TEST_F(UpdaterCheck, TheManifestIsInsideTheFolderWithOrWithoutATrailingSlash) {
    serveManifest(manifest(5));
    for (const QString folder : {"updates", "updates/", "redirect/updates"}) {
        auto checker = updater(4, folder);
        ASSERT_TRUE(await(checker->check(true)));
        EXPECT_TRUE(std::holds_alternative<state::Available>(checker->state()))
            << folder.toStdString();
    }
    EXPECT_EQ(m_server.requests(),
              QStringList({"/updates/version.json", "/updates/version.json",
                           "/redirect/updates/version.json", "/updates/version.json"}));
}

TEST_F(UpdaterCheck, ACheckDuringAnInstallOrWithoutAnAddressDoesNothing) {
    serveManifest(manifest(5));
    auto checker = updater(4);
    checker->setState(state::Installing{});
    QSignalSpy changes(checker.get(), &Updater::stateChanged);
    ASSERT_TRUE(await(checker->check(true)));
    EXPECT_EQ(checker->state(), UpdateState(state::Installing{}));

    Updater nowhere(RunningBundle{}, kSystem, m_relauncher);
    ASSERT_TRUE(await(nowhere.check(true)));
    EXPECT_EQ(nowhere.state(), UpdateState(state::Idle{}));
    nowhere.startAutomaticChecks();
    EXPECT_TRUE(m_server.requests().isEmpty());
    EXPECT_EQ(changes.count(), 0);

    // An install that starts while a check waits for the server keeps its state.
    auto racing = updater(4);
    auto check = racing->check(true);
    racing->setState(state::Installing{});
    ASSERT_TRUE(await(std::move(check)));
    EXPECT_EQ(racing->state(), UpdateState(state::Installing{}));
}

TEST_F(UpdaterCheck, ACheckWhoseUpdaterIsGoneEndsQuietlyWhenTheAnswerComes) {
    serveManifest(manifest(5));
    auto checker = updater(4, "hold/updates");
    auto check = checker->check(true);
    ASSERT_TRUE(testing::runUntil(
        [&] { return m_server.requests().contains("/hold/updates/version.json"); }));
    checker.reset();
    m_server.release();
    EXPECT_TRUE(await(std::move(check))) << "the answer came, and the check ended";
}

TEST_F(UpdaterCheck, ObserversHearOnlyRealChanges) {
    serveManifest(manifest(5));
    auto checker = updater(4);
    QSignalSpy changes(checker.get(), &Updater::stateChanged);
    checker->setState(state::Idle{});
    EXPECT_EQ(changes.count(), 0);
    ASSERT_TRUE(await(checker->check(false)));
    EXPECT_EQ(changes.count(), 2); // checking, available
    checker->setState(state::Failed{"x"});
    checker->setState(state::Failed{"x"});
    checker->setState(state::Failed{"y"});
    EXPECT_EQ(changes.count(), 4);
}

TEST_F(UpdaterCheck, AutomaticChecksStartAtOnceAndRepeatEverySixHours) {
    serveManifest(manifest(5));
    auto checker = updater(4);
    checker->startAutomaticChecks();
    ASSERT_TRUE(testing::runUntil(
        [&] { return std::holds_alternative<state::Available>(checker->state()); }));
    auto* timer = checker->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->intervalAsDuration(), 21'600s);

    // One more round, at once, and no further checks left running when the test ends.
    checker->setState(state::Idle{});
    timer->setSingleShot(true);
    timer->start(1ms);
    ASSERT_TRUE(testing::runUntil(
        [&] { return std::holds_alternative<state::Available>(checker->state()); }));
    EXPECT_EQ(m_server.requests().size(), 2);
}

} // namespace
} // namespace kelvarn::update
