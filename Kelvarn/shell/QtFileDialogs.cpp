#include "QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace kelvarn::app {

namespace {

std::optional<QString> run(QFileDialog& dialog) {
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
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

} // namespace kelvarn::app
