#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>

namespace kelvarn::tidy {

// Where the tool is looked for and what it runs in: this process's own, or a test's.
struct ToolSetting {
    QProcessEnvironment environment;
    QString homePath;
    QString tempPath;
    // Where installers put the tool outside the home, searched after the home's own folders.
    QStringList systemFolders{QStringLiteral("/opt/homebrew/bin"),
                              QStringLiteral("/usr/local/bin")};
    // A login shell that takes longer to say where the tool is counts as not finding it.
    std::chrono::milliseconds loginShellLimit{10'000};

    static ToolSetting ofThisProcess();
};

} // namespace kelvarn::tidy
