#include "desktop/TrayIcon.h"
#include "support/QtPrinting.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Action = app::StatusMenuItem::Action;

QStringList titles(QMenu& menu) {
    QStringList out;
    for (const QAction* action : menu.actions()) {
        out.push_back(action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    return out;
}

TEST(TrayIconTest, TheMenuIsRebuiltFromTheStateEachTimeItOpens) {
    app::StatusMenuState state{false, false, false, "1.2", "34"};
    std::vector<Action> done;
    desktop::TrayIcon tray([&] { return state; }, [&](Action action) { done.push_back(action); });

    emit tray.menu().aboutToShow();
    EXPECT_EQ(titles(tray.menu()),
              (QStringList{"Show Panel  (Ctrl+Alt+G)", "Start Listening  (Ctrl+Alt+L)",
                           "Compact View", "—", "Open Roster…", "Export CSV…", "Export Text…",
                           "Corrections…", "Show Data Folder", "Check for Updates…",
                           "Version 1.2 (34)", "—", "Start at Login", "Quit Kelvarn"}));
    EXPECT_FALSE(tray.menu().actions().at(10)->isEnabled());
    EXPECT_TRUE(tray.menu().actions().at(12)->isCheckable());
    EXPECT_FALSE(tray.menu().actions().at(12)->isChecked());
    EXPECT_FALSE(tray.menu().actions().at(0)->isCheckable());
    EXPECT_EQ(tray.menu().actions().at(13)->shortcut(), QKeySequence("Ctrl+Q"));

    state = {true, true, true, "1.2", "34", true};
    emit tray.menu().aboutToShow();
    EXPECT_EQ(
        titles(tray.menu()).mid(0, 3),
        (QStringList{"Hide Panel  (Ctrl+Alt+G)", "Stop Listening  (Ctrl+Alt+L)", "Full View"}));
    EXPECT_TRUE(tray.menu().actions().at(12)->isChecked());
    tray.menu().actions().at(1)->trigger();
    tray.menu().actions().at(12)->trigger();
    tray.menu().actions().at(13)->trigger();
    tray.menu().actions().at(10)->trigger();
    EXPECT_EQ(done, (std::vector<Action>{Action::toggleListening, Action::toggleStartAtLogin,
                                         Action::quit}))
        << "the version line does nothing";
}

} // namespace
} // namespace kelvarn
