#include "app/UpdaterObject.h"
#include "support/QtPrinting.h"
#include "update/FakeRelauncher.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using namespace update;

TEST(UpdaterObjectTest, FollowsTheUpdaterAndAnnouncesOnlyRealChanges) {
    testing::FakeRelauncher relauncher;
    RunningBundle bundle;
    bundle.file.version = QStringLiteral("1.4");
    Updater updater(bundle, SystemVersion{}, relauncher);
    app::UpdaterObject object(updater);
    QSignalSpy state(&object, &app::UpdaterObject::stateChanged);
    QSignalSpy version(&object, &app::UpdaterObject::versionChanged);
    QSignalSpy notes(&object, &app::UpdaterObject::notesChanged);
    QSignalSpy failure(&object, &app::UpdaterObject::failureMessageChanged);
    EXPECT_EQ(object.state(), "idle");
    EXPECT_EQ(object.currentVersion(), "1.4");

    Manifest manifest{"2.0", 5, "Kelvarn-2.0-5.zip", "Faster.", {}};
    updater.setState(state::Available{manifest});
    EXPECT_EQ(object.state(), "available");
    EXPECT_EQ(object.version(), "2.0");
    EXPECT_EQ(object.notes(), "Faster.");
    manifest.notes.reset();
    updater.setState(state::Available{manifest});
    EXPECT_EQ(object.notes(), "");
    EXPECT_EQ(state.count(), 1);
    EXPECT_EQ(version.count(), 1);
    EXPECT_EQ(notes.count(), 2);

    updater.setState(state::Failed{"Download failed."});
    EXPECT_EQ(object.state(), "failed");
    EXPECT_EQ(object.failureMessage(), "Download failed.");
    EXPECT_EQ(object.version(), "");
    updater.setState(state::UpToDate{});
    updater.setState(state::UpToDate{});
    EXPECT_EQ(object.state(), "upToDate");
    EXPECT_EQ(failure.count(), 2);
    EXPECT_EQ(state.count(), 3);

    object.setIdle();
    EXPECT_EQ(updater.state(), UpdateState(state::Idle{}));
    EXPECT_EQ(object.state(), "idle");
}

TEST(UpdaterObjectTest, AnInstallCannotBeDismissed) {
    testing::FakeRelauncher relauncher;
    Updater updater(RunningBundle{}, SystemVersion{}, relauncher);
    app::UpdaterObject object(updater);
    updater.setState(state::Installing{});
    QSignalSpy state(&object, &app::UpdaterObject::stateChanged);
    object.setIdle();
    EXPECT_EQ(updater.state(), UpdateState(state::Installing{}));
    EXPECT_EQ(object.state(), "installing");
    EXPECT_EQ(state.count(), 0);

    updater.setState(state::Failed{"Download failed."});
    object.setIdle();
    EXPECT_EQ(object.state(), "idle") << "a failed install can";
}

} // namespace
} // namespace kelvarn
