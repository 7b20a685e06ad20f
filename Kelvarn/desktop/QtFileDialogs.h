#pragma once

#include "app/FileDialogs.h"

namespace kelvarn::desktop {

// QFileDialog, which goes through the desktop portal where the desktop offers one. The dialogs
// are modal and stay on top, so they show above the floating panel.
class QtFileDialogs final : public app::FileDialogs {
public:
    std::optional<QString> chooseFileToOpen(const QString& title, const QString& filter) override;
    std::optional<QString> chooseFileToSave(const QString& title, const QString& filter,
                                            const QString& suggestedName) override;
    std::optional<QString> askText(const QString& title, const QString& label,
                                   const QString& initial) override;
};

} // namespace kelvarn::desktop
