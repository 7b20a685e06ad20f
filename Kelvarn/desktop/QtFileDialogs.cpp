#include "desktop/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QWindow>

namespace kelvarn::desktop {

namespace {

bool accepted(QDialog& dialog) {
    // The application comes to the front first, so that the dialog is not hidden behind
    // another program's windows.
    if (QWindow* window = QGuiApplication::focusWindow()) {
        window->requestActivate();
    }
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> run(QFileDialog& dialog) {
    if (!accepted(dialog) || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtFileDialogs::chooseFileToOpen(const QString& title,
                                                       const QString& filter) {
    QFileDialog dialog(nullptr, title, QDir::homePath(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::chooseFileToSave(const QString& title, const QString& filter,
                                                       const QString& suggestedName) {
    QFileDialog dialog(nullptr, title, QDir::home().filePath(suggestedName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::askText(const QString& title, const QString& label,
                                              const QString& initial) {
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    dialog.setInputMode(QInputDialog::TextInput);
    if (!accepted(dialog)) {
        return std::nullopt;
    }
    return dialog.textValue();
}

} // namespace kelvarn::desktop
