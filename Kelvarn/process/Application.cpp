#include "process/Application.h"

#include "desktop/Autostart.h"
#include "desktop/PlatformHotkeys.h"
#include "persistence/DataFolder.h"
#include "settings/Preferences.h"
#include "views/ContentViewSource.h"
#include "views/ControllerWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"
#include "views/VoiceTrainingWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace kelvarn::process {

namespace {

const QString anonymousKey = QStringLiteral("anonymousGrading");
const QString sleepKey = QStringLiteral("sleepAfterMinutes");

} // namespace

Application::Application(Parts parts, QObject* parent)
    : QObject(parent), m_controller(parts.controller), m_tidyWindow(parts.tidyWindow),
      m_correctionsWindow(parts.correctionsWindow), m_commentsWindow(parts.commentsWindow),
      m_helpWindow(parts.helpWindow), m_voiceTrainingWindow(parts.voiceTrainingWindow),
      m_preferences(parts.preferences), m_panel(parts.engine, parts.preferences) {
    // Names stay hidden from one launch to the next until the user shows them again.
    app::StoreObject* store = m_controller.storeObject();
    store->setAnonymous(m_preferences.string(anonymousKey) == QStringLiteral("true"));
    connect(store, &app::StoreObject::anonymousChanged, this, [this, store] {
        m_preferences.setString(anonymousKey, store->anonymous() ? QStringLiteral("true")
                                                                 : QStringLiteral("false"));
    });
    bool isNumber = false;
    const int sleepMinutes = m_preferences.string(sleepKey).value_or(QString()).toInt(&isNumber);
    if (isNumber) {
        m_controller.setSleepMinutes(sleepMinutes);
    }
    connect(&m_controller, &app::AppController::sleepMinutesChanged, this, [this] {
        m_preferences.setString(sleepKey, QString::number(m_controller.sleepMinutes()));
    });
    m_panel.setContent(views::contentViewSource(),
                       views::contentViewProperties(m_controller, m_panel.actions()));
    connect(&m_panel, &desktop::FloatingPanel::windowRequested, this, &Application::openWindow);
    using Action = app::StatusMenuItem::Action;
    app::PanelActions& actions = m_panel.actions();
    connect(&actions, &app::PanelActions::quitRequested, this, [this] { act(Action::quit); });
    connect(&actions, &app::PanelActions::dataFolderRequested, this,
            [this] { act(Action::showDataFolder); });
    connect(&actions, &app::PanelActions::startAtLoginToggleRequested, this,
            [this] { act(Action::toggleStartAtLogin); });
    actions.startsAtLoginSource = [] { return QFile::exists(desktop::autostartEntryPath()); };
    connect(&m_panel, &desktop::FloatingPanel::hidden, this,
            [this] { m_controller.notePanelHidden(); });
    m_controller.onCompactChanged = [this](bool compact) { m_panel.setCompact(compact); };
}

Application::~Application() {
    m_controller.onCompactChanged = nullptr;
    m_panel.actions().startsAtLoginSource = nullptr;
}

QStringList Application::launch(const LaunchArguments& arguments) {
    m_panel.show();
    const QStringList failures = applyContentArguments(arguments);
    if (update::Updater* updater = m_controller.updater()) {
        if (arguments.updateNow) {
            updateNow();
        } else {
            updater->startAutomaticChecks();
        }
    }
    m_tray = std::make_unique<desktop::TrayIcon>(
        [this] { return menuState(); },
        [this](app::StatusMenuItem::Action action) { act(action); });
    // The icon shows what the header shows, as it changes.
    if (const app::SpeechObject* speech = m_controller.speechObject()) {
        m_tray->setIcon(speech->statusIcon());
        connect(speech, &app::SpeechObject::statusIconChanged, this,
                [this, speech] { m_tray->setIcon(speech->statusIcon()); });
    }
    m_hotkeys = desktop::makeGlobalHotkeys();
    if (m_hotkeys) {
        using Key = app::GlobalHotkeys::Key;
        m_hotkeys->start([this](Key key) {
            act(key == Key::togglePanel ? app::StatusMenuItem::Action::togglePanel
                                        : app::StatusMenuItem::Action::toggleListening);
        });
    }
    return failures;
}

QStringList Application::handle(const LaunchArguments& arguments) {
    // Waiting for the microphone to stop runs the event loop, which may still deliver a
    // forwarded launch: a change then could be lost, so the quit goes on without it.
    if (m_controller.shuttingDown()) {
        return {QStringLiteral("Kelvarn is quitting: nothing was done")};
    }
    if (arguments.empty()) {
        m_panel.show();
        return {};
    }
    if (arguments.togglePanel) {
        act(app::StatusMenuItem::Action::togglePanel);
    }
    if (arguments.toggleListening) {
        act(app::StatusMenuItem::Action::toggleListening);
    }
    QStringList failures = applyContentArguments(arguments);
    if (arguments.updateNow) {
        updateNow();
    }
    // The second launch reports success only for changes that are on disk.
    if (const auto failing = m_controller.saveNow()) {
        failures.append(*failing);
    }
    return failures;
}

QStringList Application::applyContentArguments(const LaunchArguments& arguments) {
    QStringList failures;
    if (arguments.roster) {
        if (const auto failure = m_controller.mergeRosterFile(*arguments.roster)) {
            failures.append(*failure);
        }
    }
    if (arguments.openWindow) {
        openWindow(*arguments.openWindow);
    }
    if (arguments.say) {
        m_controller.handleTranscript(*arguments.say);
    }
    return failures;
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
    } else if (name == QStringLiteral("comments")) {
        m_commentsWindow.show();
    } else if (name == QStringLiteral("help")) {
        m_helpWindow.show();
    } else if (name == QStringLiteral("training")) {
        m_voiceTrainingWindow.show();
    }
}

void Application::act(app::StatusMenuItem::Action action) {
    if (m_controller.shuttingDown()) {
        return;
    }
    using Action = app::StatusMenuItem::Action;
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
    case Action::exportGradeBook:
        m_controller.exportGradeBook();
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
    case Action::toggleAnonymous:
        m_controller.storeObject()->setAnonymous(!m_controller.storeObject()->anonymous());
        break;
    case Action::none:
        break;
    }
}

app::StatusMenuState Application::menuState() const {
    app::StatusMenuState state;
    state.panelVisible = m_panel.isVisible();
    state.compact = m_controller.compact();
    state.anonymous = m_controller.storeObject()->anonymous();
    state.listening =
        m_controller.speechObject() != nullptr && m_controller.speechObject()->isRunning();
    if (update::Updater* updater = m_controller.updater()) {
        state.version = updater->currentVersion();
        state.build = QString::number(updater->currentBuild());
    } else {
        state.version = QCoreApplication::applicationVersion();
    }
    state.startAtLogin = QFile::exists(desktop::autostartEntryPath());
    return state;
}

void Application::toggleStartAtLogin() {
    const QString entry = desktop::autostartEntryPath();
    // The running program, so a bundle that updates itself in place keeps starting.
    if (const auto failure = desktop::setStartAtLogin(entry, !QFile::exists(entry),
                                                      QCoreApplication::applicationFilePath())) {
        m_controller.flash(*failure);
    }
}

void Application::showDataFolder() const {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(defaultDataFolder().string())));
}

} // namespace kelvarn::process
