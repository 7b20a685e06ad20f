#include "app/StatusMenu.h"

namespace kelvarn::app {

namespace {

using Action = StatusMenuItem::Action;

StatusMenuItem item(QString title, Action action, bool enabled = true, QString shortcut = {}) {
    StatusMenuItem made;
    made.title = std::move(title);
    made.action = action;
    made.enabled = enabled;
    made.shortcut = std::move(shortcut);
    return made;
}

} // namespace

std::vector<StatusMenuItem> statusMenuItems(const StatusMenuState& state) {
    StatusMenuItem startAtLogin =
        item(QStringLiteral("Start at Login"), Action::toggleStartAtLogin);
    startAtLogin.checked = state.startAtLogin;
    StatusMenuItem anonymous = item(QStringLiteral("Anonymous Grading"), Action::toggleAnonymous);
    anonymous.checked = state.anonymous;
    // The global keys are hints in the titles, not shortcuts of the items.
    return {
        item(state.panelVisible ? QStringLiteral("Hide Panel  (Ctrl+Alt+G)")
                                : QStringLiteral("Show Panel  (Ctrl+Alt+G)"),
             Action::togglePanel),
        item(state.listening ? QStringLiteral("Stop Listening  (Ctrl+Alt+L)")
                             : QStringLiteral("Start Listening  (Ctrl+Alt+L)"),
             Action::toggleListening),
        item(state.compact ? QStringLiteral("Full View") : QStringLiteral("Compact View"),
             Action::toggleCompact),
        StatusMenuItem{},
        item(QStringLiteral("Open Roster…"), Action::openRoster),
        item(QStringLiteral("Export CSV…"), Action::exportCSV),
        item(QStringLiteral("Export Text…"), Action::exportText),
        item(QStringLiteral("Export Grade Book…"), Action::exportGradeBook),
        item(QStringLiteral("Corrections…"), Action::showCorrections),
        anonymous,
        item(QStringLiteral("Show Data Folder"), Action::showDataFolder),
        item(QStringLiteral("Check for Updates…"), Action::checkForUpdates),
        item(QStringLiteral("Version %1 (%2)").arg(state.version, state.build), Action::none,
             false),
        StatusMenuItem{},
        startAtLogin,
        item(QStringLiteral("Quit Kelvarn"), Action::quit, true, QStringLiteral("Ctrl+Q")),
    };
}

} // namespace kelvarn::app
