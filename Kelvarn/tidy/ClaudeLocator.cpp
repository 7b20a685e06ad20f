#include "tidy/ClaudeLocator.h"

#include "tidy/ChildProcess.h"
#include "tidy/Utf8.h"

#include <QFileInfo>

namespace kelvarn::tidy {

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The user's shell reads their start-up files; only shells known to take -lc are trusted.
QString loginShell(const QProcessEnvironment& environment) {
    const QString shell = environment.value(QStringLiteral("SHELL"));
    const QString name = QFileInfo(shell).fileName();
    const bool known = name == QLatin1String("bash") || name == QLatin1String("zsh");
    return known && QFileInfo(shell).isAbsolute() && isExecutableFile(shell)
               ? shell
               : QStringLiteral("/bin/sh");
}

// Where installers put the tool.
std::optional<QString> installedClaude(const ToolSetting& setting) {
    QStringList candidates{setting.homePath + QStringLiteral("/.local/bin/claude"),
                           setting.homePath + QStringLiteral("/.claude/local/claude")};
    for (const QString& folder : setting.systemFolders) {
        candidates.append(folder + QStringLiteral("/claude"));
    }
    for (const QString& path : candidates) {
        if (isExecutableFile(path)) {
            return path;
        }
    }
    return std::nullopt;
}

ProcessRequest loginShellSearch(const ToolSetting& setting) {
    return ProcessRequest{
        .program = loginShell(setting.environment),
        .arguments = {QStringLiteral("-lc"), QStringLiteral("command -v claude")},
        .workingDirectory = {},
        .environment = setting.environment,
        .standardInput = {},
        .timeLimit = setting.loginShellLimit,
        // A path; a profile that prints on and on is not worth reading.
        .maxOutputBytes = 64 * 1024,
    };
}

} // namespace

QCoro::Task<std::optional<QString>> findClaude(ToolSetting setting, std::stop_token stop) {
    if (std::optional<QString> installed = installedClaude(setting)) {
        co_return installed;
    }

    const ProcessOutcome shell = co_await runToEnd(loginShellSearch(setting), std::move(stop));
    if (shell.ending == ProcessOutcome::Ending::failedToStart ||
        shell.ending == ProcessOutcome::Ending::timedOut ||
        shell.ending == ProcessOutcome::Ending::cancelled ||
        shell.ending == ProcessOutcome::Ending::tooMuchOutput) {
        co_return std::nullopt;
    }
    const QString found = decodedUtf8(shell.standardOutput.join()).trimmed();
    if (found.isEmpty()) {
        co_return std::nullopt;
    }
    co_return found;
}

} // namespace kelvarn::tidy
