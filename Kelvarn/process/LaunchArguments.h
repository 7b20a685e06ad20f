#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include <optional>

namespace kelvarn::process {

// What kelvarn was asked to do at launch, or by a second launch that forwarded its arguments.
// The first argument is the program. Only a flag's first occurrence counts, and a flag with
// nothing after it is ignored and said in `warning`. Flags kelvarn does not know are listed in
// `unknownFlags`: a launch refuses them, a running Kelvarn that is handed them ignores them.
struct LaunchArguments {
    std::optional<QString> say;        // --say TEXT: as if it had been heard
    std::optional<QString> roster;     // --roster PATH
    std::optional<QString> openWindow; // --open-window tidy|corrections|anything (help)
    bool updateNow = false;            // --update-now
    bool togglePanel = false;          // --toggle-panel: for a desktop's own shortcut settings
    bool toggleListening = false;      // --toggle-listening
    bool help = false;                 // --help: print helpText() and stop
    bool version = false;              // --version
    QStringList unknownFlags;          // with their dashes: "--rooster", "-x"
    QString warning;                   // a flag missing its value, for standard error

    // Nothing asked for: a second launch then just shows the running panel.
    bool empty() const {
        return !say && !roster && !openWindow && !updateNow && !togglePanel && !toggleListening;
    }

    static LaunchArguments parse(const QStringList& arguments);
    // What a second launch hands to the running Kelvarn, which parses it back into these
    // arguments. The roster's path is made absolute against the second launch's working folder,
    // since the running one works in a folder of its own.
    QStringList forwarded(const QDir& workingFolder) const;
    // The usage and every flag, for --help.
    static QString helpText();

    friend bool operator==(const LaunchArguments&, const LaunchArguments&) = default;
};

} // namespace kelvarn::process
