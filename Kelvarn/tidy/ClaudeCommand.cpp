#include "tidy/ClaudeCommand.h"

#include "tidy/Utf8.h"

namespace kelvarn::tidy {

ProcessRequest claudeRequest(const QString& executable, const QString& systemPrompt,
                             const QByteArray& prompt, std::chrono::milliseconds timeLimit,
                             const ToolSetting& setting) {
    QProcessEnvironment environment = setting.environment;
    environment.insert(QStringLiteral("PATH"),
                       environment.value(QStringLiteral("PATH")) +
                           QStringLiteral(":/usr/local/bin:/opt/homebrew/bin:") + setting.homePath +
                           QStringLiteral("/.local/bin"));
    return ProcessRequest{
        .program = executable,
        .arguments = {QStringLiteral("--model"), QStringLiteral("haiku"),
                      QStringLiteral("--no-session-persistence"), QStringLiteral("--tools"),
                      QString(), QStringLiteral("--system-prompt"), systemPrompt,
                      QStringLiteral("-p")},
        .workingDirectory = setting.tempPath,
        .environment = environment,
        .standardInput = prompt,
        .timeLimit = timeLimit,
    };
}

Result<std::string> claudeReply(const ProcessOutcome& outcome) {
    using Ending = ProcessOutcome::Ending;
    switch (outcome.ending) {
    case Ending::failedToStart:
    case Ending::timedOut:
    case Ending::cancelled:
        return Error{outcome.errorText.toStdString()};
    case Ending::exited:
        if (outcome.exitCode == 0) {
            return utf8OrEmpty(outcome.standardOutput.join());
        }
        break;
    case Ending::crashed:
        // A tool killed by a signal never answered, whatever its exit code reads.
        break;
    }
    std::string detail = utf8OrEmpty(outcome.standardError);
    if (detail.empty()) {
        detail = utf8OrEmpty(outcome.standardOutput.join());
    }
    return Error{"claude exited with " + std::to_string(outcome.exitCode) + ": " + detail};
}

} // namespace kelvarn::tidy
