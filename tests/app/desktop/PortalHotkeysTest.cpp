#include "desktop/PortalHotkeys.h"
#include "FakeShortcutsPortal.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"

#include <QDBusConnection>

#include <gtest/gtest.h>

#include <vector>

namespace kelvarn {
namespace {

using Key = app::GlobalHotkeys::Key;

TEST(PortalHotkeysTest, BindsBothKeysInASessionOfItsOwnAndFollowsTheirPresses) {
    testing::FakeShortcutsPortal portal;
    desktop::PortalHotkeys keys(QDBusConnection::sessionBus());
    std::vector<Key> pressed;
    keys.start([&](Key key) { pressed.push_back(key); });

    ASSERT_TRUE(testing::runUntil([&] { return portal.bound.size() == 2; }));
    EXPECT_FALSE(portal.sessionOptions.value("handle_token").toString().isEmpty());
    EXPECT_FALSE(portal.sessionOptions.value("session_handle_token").toString().isEmpty());
    EXPECT_FALSE(portal.bindOptions.value("handle_token").toString().isEmpty());
    EXPECT_NE(portal.bindOptions.value("handle_token"), portal.sessionOptions.value("handle_token"))
        << "each request its own token";
    EXPECT_EQ(portal.boundSession, portal.session) << "the session the portal handed back";
    EXPECT_EQ(portal.bound[0].id, "toggle-panel");
    EXPECT_EQ(portal.bound[0].properties.value("preferred_trigger").toString(), "CTRL+ALT+G");
    EXPECT_EQ(portal.bound[1].id, "toggle-listening");
    EXPECT_EQ(portal.bound[1].properties.value("preferred_trigger").toString(), "CTRL+ALT+L");
    for (const desktop::PortalShortcut& shortcut : portal.bound) {
        EXPECT_FALSE(shortcut.properties.value("description").toString().isEmpty()) << shortcut.id;
    }

    // Another application's session comes first and is ignored; signals arrive in order.
    portal.activate("toggle-panel", "/org/freedesktop/portal/desktop/session/1_99/other");
    portal.activate("toggle-listening", portal.session);
    portal.activate("toggle-panel", portal.session);
    ASSERT_TRUE(testing::runUntil([&] { return pressed.size() == 2; }));
    EXPECT_EQ(pressed, (std::vector<Key>{Key::toggleListening, Key::togglePanel}));
}

} // namespace
} // namespace kelvarn
