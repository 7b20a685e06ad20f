#pragma once

#include <QString>

#include <optional>

namespace kelvarn::app {

// Where the user picks files, and answers the one short question an export may ask. The real one
// shows the desktop's dialogs above the floating panel; tests answer with a chosen path or text,
// or a cancel.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // A path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFileToOpen(const QString& title,
                                                    const QString& filter) = 0;
    virtual std::optional<QString> chooseFileToSave(const QString& title, const QString& filter,
                                                    const QString& suggestedName) = 0;
    // A line of text, starting from `initial`; nothing when the user cancelled.
    virtual std::optional<QString> askText(const QString& title, const QString& label,
                                           const QString& initial) = 0;
};

} // namespace kelvarn::app
