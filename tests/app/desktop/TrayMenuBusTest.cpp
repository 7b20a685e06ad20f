#include "FakeTrayHost.h"
#include "app/AppFakes.h"
#include "app/VoiceTrainingObject.h"
#include "process/Application.h"
#include "settings/Preferences.h"
#include "speech/FakeAudioSource.h"
#include "speech/FakeTranscriber.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"
#include "views/ControllerWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"
#include "views/VoiceTrainingWindow.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDateTime>
#include <QFile>
#include <QQmlEngine>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace kelvarn {
namespace {

using speech::SpeechState;

// One entry of the exported menu, as a desktop panel reads it.
struct MenuEntry {
    int id = 0;
    QString label; // "—" for a separator
    bool enabled = true;
    std::optional<bool> checked;
};

// The children of a com.canonical.dbusmenu layout, (ia{sv}av).
std::vector<MenuEntry> childrenOf(const QDBusArgument& layout) {
    std::vector<MenuEntry> entries;
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant wrapped;
        layout >> wrapped;
        const auto child = wrapped.variant().value<QDBusArgument>();
        MenuEntry entry;
        child.beginStructure();
        child >> entry.id >> properties;
        child.beginArray();
        child.endArray();
        child.endStructure();
        entry.label = properties.value("type").toString() == "separator"
                          ? QStringLiteral("—")
                          : properties.value("label").toString();
        entry.enabled = properties.value("enabled", true).toBool();
        if (properties.contains("toggle-type")) {
            entry.checked = properties.value("toggle-state").toInt() == 1;
        }
        entries.push_back(entry);
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

QStringList labels(const std::vector<MenuEntry>& entries) {
    QStringList out;
    for (const MenuEntry& entry : entries) {
        out.push_back(entry.label);
    }
    return out;
}

class TrayMenuBusTest : public ::testing::Test {
protected:
    TrayMenuBusTest() {
        ::setenv("XDG_CONFIG_HOME", (m_folder.path() / "config").c_str(), 1);
        auto engine = std::make_unique<speech::SpeechEngine>(
            [audio = m_audio] { return std::make_unique<testing::FakeAudioSource>(audio); },
            [recogniser = m_recogniser] {
                return std::make_unique<testing::FakeTranscriber>(recogniser);
            });
        m_speech = engine.get();
        m_controller.emplace(app::AppController::Services{
            std::nullopt, m_scheduler, m_dialogs, {}, nullptr, std::move(engine)});
        m_tidyWindow.emplace(m_qml, m_preferences);
        m_correctionsWindow.emplace(m_qml, *m_controller);
        m_commentsWindow.emplace(m_qml, *m_controller);
        m_helpWindow.emplace(m_qml);
    }
    ~TrayMenuBusTest() override {
        m_shell.reset();
        ::unsetenv("XDG_CONFIG_HOME");
    }

    void launch() {
        m_shell.emplace(process::Application::Parts{
            *m_controller, m_qml, m_preferences, *m_tidyWindow, *m_correctionsWindow,
            *m_commentsWindow, *m_helpWindow, m_trainingWindow});
        m_shell->launch({});
    }

    // Calls the way a panel does, from a connection of its own, while this thread runs the
    // event loop that answers.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(m_item, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = m_panel.asyncCall(message);
        EXPECT_TRUE(testing::runUntil([&] { return pending.isFinished(); }));
        EXPECT_FALSE(pending.isError()) << pending.error().message();
        return pending.reply();
    }

    // Finds the item the tray registered and where it exports its menu.
    bool findItem(const testing::FakeTrayHost& host) {
        if (!testing::runUntil([&] { return !host.items().isEmpty(); })) {
            return false;
        }
        m_item = host.items().front();
        const QDBusMessage menu =
            call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                 {QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")});
        m_menuPath = menu.arguments()
                         .value(0)
                         .value<QDBusVariant>()
                         .variant()
                         .value<QDBusObjectPath>()
                         .path();
        return !m_menuPath.isEmpty();
    }

    // Opens the menu as a panel does: tells the application, then reads the layout.
    std::vector<MenuEntry> openMenu() {
        call(m_menuPath, "com.canonical.dbusmenu", "AboutToShow", {0});
        const QDBusMessage layout =
            call(m_menuPath, "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
        return childrenOf(layout.arguments().value(1).value<QDBusArgument>());
    }

    void click(const std::vector<MenuEntry>& menu, const QString& label) {
        const auto entry = std::find_if(menu.begin(), menu.end(),
                                        [&](const MenuEntry& e) { return e.label == label; });
        ASSERT_NE(entry, menu.end()) << label;
        call(m_menuPath, "com.canonical.dbusmenu", "Event",
             {entry->id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
              static_cast<uint>(QDateTime::currentSecsSinceEpoch())});
    }

    testing::TempFolder m_folder;
    Preferences m_preferences{QString::fromStdString((m_folder.path() / "Kelvarn.conf").string())};
    std::shared_ptr<testing::FakeAudioScript> m_audio =
        std::make_shared<testing::FakeAudioScript>();
    std::shared_ptr<testing::FakeTranscriberScript> m_recogniser =
        std::make_shared<testing::FakeTranscriberScript>();
    testing::FakeScheduler m_scheduler;
    testing::FakeDialogs m_dialogs;
    speech::SpeechEngine* m_speech = nullptr;
    std::optional<app::AppController> m_controller;
    QQmlEngine m_qml;
    std::optional<views::TidyPromptWindow> m_tidyWindow;
    std::optional<views::CorrectionsWindow> m_correctionsWindow;
    std::optional<views::CommentsWindow> m_commentsWindow;
    std::optional<views::HelpWindow> m_helpWindow;
    app::VoiceTrainingObject m_training{{{}, {}, {}, {}, {}}};
    views::VoiceTrainingWindow m_trainingWindow{m_qml, m_training};
    std::optional<process::Application> m_shell;
    QDBusConnection m_panel =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "tray-test-panel");
    QString m_item;
    QString m_menuPath;
};

TEST_F(TrayMenuBusTest, APanelReadsTheMenuInEachStateAndItsClicksReachTheApplication) {
    testing::FakeTrayHost host;
    launch();
    ASSERT_TRUE(findItem(host));

    auto menu = openMenu();
    EXPECT_EQ(labels(menu).mid(0, 12),
              (QStringList{"Hide Panel  (Ctrl+Alt+G)", "Start Listening  (Ctrl+Alt+L)",
                           "Compact View", "—", "Open Roster…", "Export CSV…", "Export Text…",
                           "Export Grade Book…", "Corrections…", "Anonymous Grading",
                           "Show Data Folder", "Check for Updates…"}))
        << "the panel is shown at launch";
    ASSERT_EQ(menu.size(), 16u);
    EXPECT_TRUE(menu[12].label.startsWith("Version "));
    EXPECT_FALSE(menu[12].enabled);
    EXPECT_EQ(labels(menu).mid(13), (QStringList{"—", "Start at Login", "Quit Kelvarn"}));
    EXPECT_EQ(menu[14].checked, false);

    click(menu, "Start Listening  (Ctrl+Alt+L)");
    ASSERT_TRUE(testing::runUntil([&] { return m_speech->state() == SpeechState::listening(); }));
    menu = openMenu();
    EXPECT_EQ(menu[1].label, "Stop Listening  (Ctrl+Alt+L)");

    // A click's action runs after the call that delivered it has been answered.
    click(menu, "Hide Panel  (Ctrl+Alt+G)");
    EXPECT_TRUE(testing::runUntil([&] { return !m_shell->panel().isVisible(); }));
    click(menu, "Start at Login");
    EXPECT_TRUE(testing::runUntil([&] {
        return QFile::exists(QString::fromStdString(
            (m_folder.path() / "config" / "autostart" / "kelvarn.desktop").string()));
    }));
    menu = openMenu();
    EXPECT_EQ(menu[0].label, "Show Panel  (Ctrl+Alt+G)");
    EXPECT_EQ(menu[14].checked, true);

    EXPECT_EQ(menu[9].checked, false);
    click(menu, "Anonymous Grading");
    EXPECT_TRUE(testing::runUntil([&] { return m_controller->storeObject()->anonymous(); }));
    menu = openMenu();
    EXPECT_EQ(menu[9].checked, true);
    EXPECT_EQ(m_preferences.string("anonymousGrading").value_or(QString()), "true")
        << "kept for the next launch";

    click(menu, "Stop Listening  (Ctrl+Alt+L)");
    EXPECT_TRUE(testing::runUntil([&] { return m_speech->state() == SpeechState::off(); }));
}

TEST_F(TrayMenuBusTest, TheIconAppearsWhenTheDesktopsPanelStartsAfterKelvarn) {
    launch();
    ASSERT_NE(m_shell->tray(), nullptr);
    EXPECT_FALSE(m_shell->tray()->shown()) << "no panel, no embedded tray: it waits";

    testing::FakeTrayHost host;
    ASSERT_TRUE(findItem(host)) << "the icon registered with the panel that came";
    EXPECT_EQ(openMenu().size(), 16u);
}

} // namespace
} // namespace kelvarn
