#include "app/AppController.h"
#include "app/AppFakes.h"
#include "app/VoiceTrainingObject.h"
#include "process/Application.h"
#include "process/LaunchArguments.h"
#include "settings/Preferences.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"
#include "views/ControllerWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"
#include "views/VoiceTrainingWindow.h"

#include <QQmlEngine>
#include <QQuickWindow>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

bool shown(const QQuickWindow* window) {
    return window != nullptr && window->isVisible();
}

// The application over a controller without a data folder, and its three windows.
class OpenWindowTest : public ::testing::Test {
protected:
    testing::TempFolder temp;
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    app::AppController controller{{std::nullopt, scheduler, dialogs, {}, nullptr, nullptr}};
    QQmlEngine engine;
    Preferences preferences{QString::fromStdString((temp.path() / "Kelvarn.conf").string())};
    views::TidyPromptWindow tidy{engine, preferences};
    views::CorrectionsWindow corrections{engine, controller};
    views::CommentsWindow comments{engine, controller};
    views::HelpWindow help{engine};
    app::VoiceTrainingObject training{{temp.path() / "data", {}, {}, {}, {}}};
    views::VoiceTrainingWindow trainingWindow{engine, training};
    process::Application shell{
        {controller, engine, preferences, tidy, corrections, comments, help, trainingWindow}};
};

TEST_F(OpenWindowTest, LaunchArgumentsAndThePanelOpenTheCorrectionsAndHelpWindowsByName) {

    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "corrections"}));
    EXPECT_TRUE(shown(corrections.window()));
    EXPECT_FALSE(shown(help.window()));
    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "help"}));
    EXPECT_TRUE(shown(help.window()));
    EXPECT_FALSE(shown(tidy.window()));
    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "training"}));
    EXPECT_TRUE(shown(trainingWindow.window()));
    shell.handle(process::LaunchArguments::parse({"kelvarn", "--open-window", "comments"}));
    EXPECT_TRUE(shown(comments.window()));

    corrections.window()->close();
    shell.panel().actions().openWindow("corrections");
    EXPECT_TRUE(shown(corrections.window())) << "as the panel's menu asks";
}

TEST_F(OpenWindowTest, WhatArrivesOnceQuittingHasBegunIsRefused) {
    controller.handleTranscript("pause listening");
    const auto lines = controller.store().feed().size();

    controller.shutDown();
    shell.handle(process::LaunchArguments::parse(
        {"kelvarn", "--say", "resume listening", "--open-window", "help", "--toggle-panel"}));
    EXPECT_EQ(controller.store().feed().size(), lines);
    EXPECT_TRUE(controller.store().voicePaused());
    EXPECT_FALSE(shown(help.window()));
}

} // namespace
} // namespace kelvarn
