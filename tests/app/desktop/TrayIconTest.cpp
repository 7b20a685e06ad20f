#include "desktop/TrayIcon.h"
#include "support/QtPrinting.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Action = app::StatusMenuItem::Action;

QAction* actionFor(QMenu& menu, Action what) {
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator() && action->data().value<Action>() == what) {
            return action;
        }
    }
    return nullptr;
}

TEST(TrayIconTest, TheMenuShowsEachEntryOfTheStateItOpensWith) {
    app::StatusMenuState state{false, false, false, "1.2", "34"};
    desktop::TrayIcon tray([&] { return state; }, [](Action) {});

    for (const auto& shown : {state, app::StatusMenuState{true, true, true, "1.3", "35", true}}) {
        state = shown;
        emit tray.menu().aboutToShow();
        const auto items = app::statusMenuItems(state);
        const QList<QAction*> actions = tray.menu().actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i) {
            const QAction& action = *actions.at(static_cast<qsizetype>(i));
            EXPECT_EQ(action.isSeparator(), items[i].isSeparator());
            EXPECT_EQ(action.text(), items[i].title);
            EXPECT_EQ(action.isEnabled(), items[i].enabled) << items[i].title;
            EXPECT_EQ(action.isCheckable(), items[i].checked.has_value()) << items[i].title;
            EXPECT_EQ(action.isChecked(), items[i].checked.value_or(false)) << items[i].title;
            EXPECT_EQ(action.shortcut(), QKeySequence(items[i].shortcut)) << items[i].title;
        }
    }
}

TEST(TrayIconTest, EachItemAsksForItsOwnActionAndTheVersionLineForNone) {
    std::vector<Action> done;
    desktop::TrayIcon tray(
        [] {
            return app::StatusMenuState{true, false, false, "1.2", "34"};
        },
        [&](Action action) { done.push_back(action); });
    emit tray.menu().aboutToShow();

    const std::vector<Action> every{Action::togglePanel,
                                    Action::toggleListening,
                                    Action::toggleCompact,
                                    Action::openRoster,
                                    Action::exportCSV,
                                    Action::exportText,
                                    Action::showCorrections,
                                    Action::showDataFolder,
                                    Action::checkForUpdates,
                                    Action::toggleStartAtLogin,
                                    Action::quit};
    for (const Action action : every) {
        QAction* item = actionFor(tray.menu(), action);
        ASSERT_NE(item, nullptr) << static_cast<int>(action);
        item->trigger();
    }
    EXPECT_EQ(done, every);

    QAction* version = actionFor(tray.menu(), Action::none);
    ASSERT_NE(version, nullptr);
    version->trigger();
    EXPECT_EQ(done.size(), every.size()) << "the version line does nothing";
}

} // namespace
} // namespace kelvarn
