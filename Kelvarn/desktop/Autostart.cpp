#include "desktop/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace kelvarn::desktop {

namespace {

// An Exec argument in double quotes, where ", `, $ and \ take a backslash; then the value's own
// escaping doubles every backslash and writes a line break as \n; % (a field code) is doubled.
QString quotedExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$') {
            quoted += QStringLiteral("\\\\");
        } else if (c == u'\\') {
            quoted += QStringLiteral("\\\\\\");
        } else if (c == u'%') {
            quoted += u'%';
        } else if (c == u'\n') {
            quoted += QStringLiteral("\\n");
            continue;
        }
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

QString autostartEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/kelvarn.desktop");
}

QString autostartEntry(const QString& program) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Kelvarn\n"
                          "Comment=Grade essays against a rubric by voice\n"
                          "Exec=%1\n"
                          "Icon=kelvarn\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedExecArgument(program));
}

std::optional<QString> setStartAtLogin(const QString& entryPath, bool start,
                                       const QString& program) {
    if (!start) {
        QFile entry(entryPath);
        if (entry.exists() && !entry.remove()) {
            return QStringLiteral("Couldn't turn off Start at Login: %1 (%2)")
                .arg(entry.errorString(), entryPath);
        }
        return std::nullopt;
    }
    const QString folder = QFileInfo(entryPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("Couldn't turn on Start at Login: can't make the folder %1")
            .arg(folder);
    }
    QSaveFile entry(entryPath);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(autostartEntry(program).toUtf8()) < 0 ||
        !entry.commit()) {
        return QStringLiteral("Couldn't turn on Start at Login: %1 (%2)")
            .arg(entry.errorString(), entryPath);
    }
    return std::nullopt;
}

} // namespace kelvarn::desktop
