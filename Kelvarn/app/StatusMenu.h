#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace kelvarn::app {

// What the tray menu shows, read afresh each time it opens.
struct StatusMenuState {
    bool panelVisible = false;
    bool listening = false; // the speech engine is running
    bool compact = false;
    QString version;
    QString build;
    bool startAtLogin = false; // the autostart entry exists
    bool anonymous = false;    // names shown as "Student N"
};

// The tray menu's entries, in order.
struct StatusMenuItem {
    enum class Action {
        none,
        togglePanel,
        toggleListening,
        toggleCompact,
        openRoster,
        exportCSV,
        exportText,
        exportGradeBook,
        showCorrections,
        toggleAnonymous,
        showDataFolder,
        checkForUpdates,
        toggleStartAtLogin,
        quit,
    };

    QString title; // empty for a separator
    Action action = Action::none;
    bool enabled = true;
    QString shortcut;            // only Quit has one
    std::optional<bool> checked; // set for an item with a check mark

    bool isSeparator() const { return title.isEmpty(); }
    friend bool operator==(const StatusMenuItem&, const StatusMenuItem&) = default;
};

std::vector<StatusMenuItem> statusMenuItems(const StatusMenuState& state);

} // namespace kelvarn::app
