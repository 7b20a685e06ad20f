#include "app/StatusMenu.h"
#include "support/QtPrinting.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

using Action = app::StatusMenuItem::Action;

QStringList titles(const std::vector<app::StatusMenuItem>& items) {
    QStringList out;
    for (const app::StatusMenuItem& item : items) {
        out.push_back(item.isSeparator() ? QStringLiteral("—") : item.title);
    }
    return out;
}

const app::StatusMenuItem& itemFor(const std::vector<app::StatusMenuItem>& items, Action action) {
    const auto found = std::find_if(items.begin(), items.end(), [&](const auto& item) {
        return !item.isSeparator() && item.action == action;
    });
    EXPECT_NE(found, items.end());
    return *found;
}

TEST(StatusMenuTest, ListsItsEntriesInOrderAndTheTogglesSayWhatTheyWillDo) {
    const auto hidden = app::statusMenuItems({false, false, false, "1.2", "34", false});
    EXPECT_EQ(
        titles(hidden),
        (QStringList{"Show Panel  (Ctrl+Alt+G)", "Start Listening  (Ctrl+Alt+L)", "Compact View",
                     "—", "Open Roster…", "Export CSV…", "Export Text…", "Export Grade Book…",
                     "Corrections…", "Anonymous Grading", "Show Data Folder", "Check for Updates…",
                     "Version 1.2 (34)", "—", "Start at Login", "Quit Kelvarn"}));

    const auto shown = app::statusMenuItems({true, true, true, "1.2", "34", true, true});
    EXPECT_EQ(itemFor(shown, Action::togglePanel).title, "Hide Panel  (Ctrl+Alt+G)");
    EXPECT_EQ(itemFor(shown, Action::toggleListening).title, "Stop Listening  (Ctrl+Alt+L)");
    EXPECT_EQ(itemFor(shown, Action::toggleCompact).title, "Full View");
    EXPECT_EQ(itemFor(hidden, Action::toggleStartAtLogin).checked, false);
    EXPECT_EQ(itemFor(shown, Action::toggleStartAtLogin).checked, true);
    EXPECT_EQ(itemFor(hidden, Action::toggleAnonymous).checked, false);
    EXPECT_EQ(itemFor(shown, Action::toggleAnonymous).checked, true);
}

TEST(StatusMenuTest, OnlyTheVersionLineIsInertAndOnlyQuitHasAShortcut) {
    for (const app::StatusMenuItem& item : app::statusMenuItems({true, false, false, "2.0", "7"})) {
        if (item.isSeparator()) {
            continue;
        }
        EXPECT_EQ(item.enabled, item.action != Action::none) << item.title;
        EXPECT_EQ(item.title == "Version 2.0 (7)", item.action == Action::none) << item.title;
        EXPECT_EQ(item.shortcut, item.action == Action::quit ? "Ctrl+Q" : "") << item.title;
        EXPECT_EQ(item.checked.has_value(), item.action == Action::toggleStartAtLogin ||
                                                item.action == Action::toggleAnonymous)
            << item.title;
    }
}

} // namespace
} // namespace kelvarn
