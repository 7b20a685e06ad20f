#include "tidy/ClaudeLocator.h"

#include "tidy/ChildProcess.h"
#include "tidy/Utf8.h"

#include <QFileInfo>

#include <array>

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
std::optional<QString> installedClaude(const QString& home) {
    const std::array fixed{
        home + QStringLiteral("/.local/bin/claude"),
        home + QStringLiteral("/.claude/local/claude"),
        QStringLiteral("/opt/homebrew/bin/claude"),
        QStringLiteral("/usr/local/bin/claude"),
    };
    for (const QString& path : fixed) {
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
        .timeLimit = setting.loginShellLimit,
    };
}

} // namespace

QCoro::Task<std::optional<QString>> findClaude(ToolSetting setting) {
    if (std::optional<QString> installed = installedClaude(setting.homePath)) {
        co_return installed;
    }

    const ProcessOutcome shell = co_await runToEnd(loginShellSearch(setting));
    if (shell.ending == ProcessOutcome::Ending::failedToStart ||
        shell.ending == ProcessOutcome::Ending::timedOut) {
        co_return std::nullopt;
    }
    const QString found = decodedUtf8(shell.standardOutput.join()).trimmed();
    if (found.isEmpty()) {
        co_return std::nullopt;
    }
    co_return found;
}

} // namespace kelvarn::tidy
