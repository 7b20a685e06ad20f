#include "AppController.h"
#include "Application.h"
#include "LaunchArguments.h"
#include "settings/Preferences.h"
#include "shell/ShellFakes.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"
#include "views/CorrectionsWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"

#include <QQmlEngine>
#include <QQuickWindow>
#include <QSettings>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

bool shown(const QQuickWindow* window) {
    return window != nullptr && window->isVisible();
}

TEST(OpenWindowTest, LaunchArgumentsAndThePanelOpenTheCorrectionsAndHelpWindowsByName) {
    testing::TempFolder temp;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(temp.path().string()));
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    app::AppController controller{{std::nullopt, scheduler, dialogs, {}, nullptr, nullptr}};
    QQmlEngine engine;
    Preferences preferences(QString::fromStdString((temp.path() / "Kelvarn.conf").string()));
    views::TidyPromptWindow tidy(engine, preferences);
    views::CorrectionsWindow corrections(engine, controller);
    views::HelpWindow help(engine);
    app::Application shell({controller, engine, tidy, corrections, help});

    shell.handle(app::LaunchArguments::parse({"kelvarn", "--open-window", "corrections"}));
    EXPECT_TRUE(shown(corrections.window()));
    EXPECT_FALSE(shown(help.window()));
    shell.handle(app::LaunchArguments::parse({"kelvarn", "--open-window", "help"}));
    EXPECT_TRUE(shown(help.window()));
    EXPECT_FALSE(shown(tidy.window()));

    corrections.window()->close();
    shell.panel().openWindow("corrections");
    EXPECT_TRUE(shown(corrections.window())) << "as the panel's menu asks";
}

} // namespace
} // namespace kelvarn
