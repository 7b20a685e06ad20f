#include "Application.h"

#include "Autostart.h"
#include "persistence/DataFolder.h"
#include "persistence/Roster.h"
#include "views/CorrectionsWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace kelvarn::app {

Application::Application(Parts parts, QObject* parent)
    : QObject(parent), m_controller(parts.controller), m_tidyWindow(parts.tidyWindow),
      m_correctionsWindow(parts.correctionsWindow), m_helpWindow(parts.helpWindow),
      m_panel(parts.engine) {
    m_panel.setContent(QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/ContentView.qml")), &m_controller);
    connect(&m_panel, &FloatingPanel::windowRequested, this, &Application::openWindow);
    m_controller.onCompactChanged = [this](bool compact) { m_panel.setCompact(compact); };
}

Application::~Application() {
    m_controller.onCompactChanged = nullptr;
}

void Application::launch(const LaunchArguments& arguments) {
    m_panel.show();
    applyContentArguments(arguments);
    if (update::Updater* updater = m_controller.updater()) {
        if (arguments.updateNow) {
            updateNow();
        } else {
            updater->startAutomaticChecks();
        }
    }
    m_tray = std::make_unique<TrayIcon>([this] { return menuState(); },
                                        [this](StatusMenuItem::Action action) { act(action); });
    // The icon follows the engine's state and the pause flag as they change.
    if (speech::SpeechEngine* engine = m_controller.speech()) {
        connect(engine, &speech::SpeechEngine::stateChanged, this, &Application::updateTrayIcon);
    }
    connect(m_controller.storeObject(), &StoreObject::voicePausedChanged, this,
            &Application::updateTrayIcon);
    updateTrayIcon();
    m_hotkeys = makeGlobalHotkeys();
    if (m_hotkeys) {
        m_hotkeys->start([this](GlobalHotkeys::Key key) {
            act(key == GlobalHotkeys::Key::togglePanel ? StatusMenuItem::Action::togglePanel
                                                       : StatusMenuItem::Action::toggleListening);
        });
    }
}

void Application::handle(const LaunchArguments& arguments) {
    if (arguments.empty()) {
        m_panel.show();
        return;
    }
    if (arguments.togglePanel) {
        act(StatusMenuItem::Action::togglePanel);
    }
    if (arguments.toggleListening) {
        act(StatusMenuItem::Action::toggleListening);
    }
    applyContentArguments(arguments);
    if (arguments.updateNow) {
        updateNow();
    }
}

void Application::applyContentArguments(const LaunchArguments& arguments) {
    if (arguments.roster) {
        // From a script: an unreadable or empty file changes nothing and says nothing.
        if (const auto parsed = roster::readFile(arguments.roster->toStdString())) {
            m_controller.store().loadRoster(parsed.value().names);
        }
    }
    if (arguments.openWindow) {
        openWindow(*arguments.openWindow);
    }
    if (arguments.say) {
        m_controller.store().handleTranscript(arguments.say->toStdString());
    }
}

void Application::updateNow() {
    if (update::Updater* updater = m_controller.updater()) {
        QCoro::connect(updater->check(true), this,
                       [updater, this] { QCoro::connect(updater->install(), this, [] {}); });
    }
}

void Application::openWindow(const QString& name) {
    if (name == QStringLiteral("tidy")) {
        m_tidyWindow.show();
    } else if (name == QStringLiteral("corrections")) {
        m_correctionsWindow.show();
    } else if (name == QStringLiteral("help")) {
        m_helpWindow.show();
    }
}

void Application::act(StatusMenuItem::Action action) {
    using Action = StatusMenuItem::Action;
    switch (action) {
    case Action::togglePanel:
        m_panel.toggle();
        break;
    case Action::toggleCompact:
        m_controller.toggleCompact();
        break;
    case Action::openRoster:
        m_controller.openRoster();
        break;
    case Action::exportCSV:
        m_controller.exportCSV();
        break;
    case Action::exportText:
        m_controller.exportText();
        break;
    case Action::showDataFolder:
        showDataFolder();
        break;
    case Action::quit:
        QCoreApplication::quit();
        break;
    case Action::checkForUpdates:
        if (update::Updater* updater = m_controller.updater()) {
            m_panel.show(); // where the answer appears
            QCoro::connect(updater->check(true), this, [] {});
        }
        break;
    case Action::toggleListening:
        m_controller.toggleListening();
        break;
    case Action::toggleStartAtLogin:
        toggleStartAtLogin();
        break;
    case Action::showCorrections:
        m_correctionsWindow.show();
        break;
    case Action::none:
        break;
    }
}

void Application::updateTrayIcon() {
    const speech::SpeechEngine* engine = m_controller.speech();
    const auto kind = engine != nullptr ? engine->state().kind : speech::SpeechState::Kind::off;
    switch (kind) {
    case speech::SpeechState::Kind::listening:
        m_tray->setIcon(m_controller.store().voicePaused() ? StatusIcon::paused
                                                           : StatusIcon::listening);
        break;
    case speech::SpeechState::Kind::failed:
        m_tray->setIcon(StatusIcon::failed);
        break;
    case speech::SpeechState::Kind::off:
    case speech::SpeechState::Kind::starting:
    case speech::SpeechState::Kind::downloadingModel:
        m_tray->setIcon(StatusIcon::idle);
        break;
    }
}

StatusMenuState Application::menuState() const {
    StatusMenuState state;
    state.panelVisible = m_panel.isVisible();
    state.compact = m_controller.compact();
    state.listening = m_controller.speech() != nullptr && m_controller.speech()->isRunning();
    if (update::Updater* updater = m_controller.updater()) {
        state.version = updater->currentVersion();
        state.build = QString::number(updater->currentBuild());
    } else {
        state.version = QCoreApplication::applicationVersion();
    }
    state.startAtLogin = QFile::exists(autostartEntryPath());
    return state;
}

void Application::toggleStartAtLogin() {
    const QString entry = autostartEntryPath();
    // The running program, so a bundle that updates itself in place keeps starting.
    if (const auto failure = setStartAtLogin(entry, !QFile::exists(entry),
                                             QCoreApplication::applicationFilePath())) {
        m_controller.flash(*failure);
    }
}

void Application::showDataFolder() const {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(defaultDataFolder().string())));
}

} // namespace kelvarn::app
