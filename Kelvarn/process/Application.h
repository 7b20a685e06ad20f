#pragma once

#include "app/AppController.h"
#include "app/GlobalHotkeys.h"
#include "app/StatusMenu.h"
#include "desktop/FloatingPanel.h"
#include "desktop/TrayIcon.h"
#include "process/LaunchArguments.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QQmlEngine;

namespace kelvarn {
class Preferences;
}

namespace kelvarn::views {
class CommentsWindow;
class CorrectionsWindow;
class HelpWindow;
class TidyPromptWindow;
class VoiceTrainingWindow;
} // namespace kelvarn::views

namespace kelvarn::process {

// The application's outer shell: the floating panel with the panel views, the tray icon and its
// menu, the global keys, and what launch arguments (or a second launch) ask for. Main thread
// only; it owns nothing of the grading, which is the controller's.
class Application final : public QObject {
    Q_OBJECT

public:
    struct Parts {
        app::AppController& controller;
        QQmlEngine& engine;
        Preferences& preferences;
        views::TidyPromptWindow& tidyWindow;
        views::CorrectionsWindow& correctionsWindow;
        views::CommentsWindow& commentsWindow;
        views::HelpWindow& helpWindow;
        views::VoiceTrainingWindow& voiceTrainingWindow;
    };

    explicit Application(Parts parts, QObject* parent = nullptr);
    ~Application() override;

    // Shows the panel, then does what the arguments ask, then brings up the tray and the keys.
    // Returns what could not be done, for standard error; the feed says it too.
    QStringList launch(const LaunchArguments& arguments);
    // What a second launch asked for; with nothing asked, the panel is shown. What cannot be done
    // is said in the feed, and returned for the second launch to say too.
    QStringList handle(const LaunchArguments& arguments);

    desktop::FloatingPanel& panel() { return m_panel; }
    desktop::TrayIcon* tray() { return m_tray.get(); }

private:
    void act(app::StatusMenuItem::Action action);
    app::StatusMenuState menuState() const;
    // What both a launch and a second launch may ask for: a roster, a window, a sentence.
    // Returns what could not be done.
    QStringList applyContentArguments(const LaunchArguments& arguments);
    void updateNow();
    void openWindow(const QString& name);
    void toggleStartAtLogin();
    void showDataFolder() const;

    app::AppController& m_controller;
    views::TidyPromptWindow& m_tidyWindow;
    views::CorrectionsWindow& m_correctionsWindow;
    views::CommentsWindow& m_commentsWindow;
    views::HelpWindow& m_helpWindow;
    views::VoiceTrainingWindow& m_voiceTrainingWindow;
    Preferences& m_preferences;
    desktop::FloatingPanel m_panel;
    std::unique_ptr<desktop::TrayIcon> m_tray;
    std::unique_ptr<app::GlobalHotkeys> m_hotkeys;
};

} // namespace kelvarn::process
