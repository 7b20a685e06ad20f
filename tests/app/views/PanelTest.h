#pragma once

#include "app/AppController.h"
#include "app/AppFakes.h"
#include "desktop/FloatingPanel.h"
#include "settings/Preferences.h"
#include "support/QuickItems.h"
#include "support/TempFolder.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>

#include <gtest/gtest.h>

#include <memory>

namespace kelvarn::testing {

// The panel's root view in a real FloatingPanel over a real AppController without a data
// folder, shown on the offscreen platform, with fake dialogs and timers.
class PanelTest : public ::testing::Test {
protected:
    explicit PanelTest(std::unique_ptr<update::Updater> updater = nullptr,
                       std::unique_ptr<speech::SpeechEngine> speech = nullptr,
                       app::AppController::Tidy tidy = {});

    QQuickItem* root() { return m_panel.window().rootObject(); }
    // The visible item showing text, once the last change has been drawn.
    QQuickItem* shown(const QString& text);
    GradingStore& store() { return m_controller.store(); }
    // Lets the window lay out and draw what the last change showed.
    void settle();
    void click(QQuickItem* item);
    void key(int key, Qt::KeyboardModifiers modifiers = {});
    // Saved under KELVARN_SCREENSHOTS when it is set.
    void screenshot(const char* name);

    TempFolder m_temp;
    FakeScheduler m_scheduler;
    FakeDialogs m_dialogs;
    app::AppController m_controller;
    Preferences m_preferences{QString::fromStdString((m_temp.path() / "Kelvarn.conf").string())};
    QQmlEngine m_engine;
    desktop::FloatingPanel m_panel{m_engine, m_preferences};
};

} // namespace kelvarn::testing
