#include "app/AppController.h"
#include "app/AppFakes.h"
#include "process/Application.h"
#include "process/LaunchArguments.h"
#include "settings/Preferences.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"
#include "views/CorrectionsWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"

#include <QQmlEngine>
#include <QQuickWindow>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

bool shown(const QQuickWindow* window) {
    return window != nullptr && window->isVisible();
}

TEST(OpenWindowTest, LaunchArgumentsAndThePanelOpenTheCorrectionsAndHelpWindowsByName) {
    testing::TempFolder temp;
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    app::AppController controller{{std::nullopt, scheduler, dialogs, {}, nullptr, nullptr}};
    QQmlEngine engine;
    Preferences preferences(QString::fromStdString((temp.path() / "Kelvarn.conf").string()));
    views::TidyPromptWindow tidy(engine, preferences);
    views::CorrectionsWindow corrections(engine, controller);
    views::HelpWindow help(engine);
    process::Application shell({controller, engine, preferences, tidy, corrections, help});

    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "corrections"}));
    EXPECT_TRUE(shown(corrections.window()));
    EXPECT_FALSE(shown(help.window()));
    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "help"}));
    EXPECT_TRUE(shown(help.window()));
    EXPECT_FALSE(shown(tidy.window()));

    corrections.window()->close();
    shell.panel().actions().openWindow("corrections");
    EXPECT_TRUE(shown(corrections.window())) << "as the panel's menu asks";
}

} // namespace
} // namespace kelvarn
