#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <chrono>

namespace kelvarn::tidy {

// Where the tool is looked for and what it runs in: this process's own, or a test's.
struct ToolSetting {
    QProcessEnvironment environment;
    QString homePath;
    QString tempPath;
    // A login shell that takes longer to say where the tool is counts as not finding it.
    std::chrono::milliseconds loginShellLimit{10'000};

    static ToolSetting ofThisProcess();
};

} // namespace kelvarn::tidy
