#include "tidy/ClaudeCommand.h"

#include "tidy/Utf8.h"

#include <string.h>

namespace kelvarn::tidy {

namespace {

// Tidied notes are a few pages at most; a tool that writes on and on is not answering.
constexpr qsizetype maxReplyBytes = 8 * 1024 * 1024;

// "SIGSEGV (Segmentation fault)", or the number when the system knows no name for it.
std::string signalName(int signal) {
    const char* abbreviation = ::sigabbrev_np(signal);
    if (abbreviation == nullptr) {
        return "signal " + std::to_string(signal);
    }
    return "SIG" + std::string(abbreviation) + " (" + ::sigdescr_np(signal) + ")";
}

} // namespace

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
        .maxOutputBytes = maxReplyBytes,
    };
}

Result<std::string> claudeReply(const ProcessOutcome& outcome) {
    using Ending = ProcessOutcome::Ending;
    switch (outcome.ending) {
    case Ending::failedToStart:
    case Ending::timedOut:
    case Ending::cancelled:
    case Ending::tooMuchOutput:
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
    if (outcome.ending == Ending::crashed) {
        return Error{"claude was killed by " + signalName(outcome.exitCode) + ": " + detail};
    }
    return Error{"claude exited with " + std::to_string(outcome.exitCode) + ": " + detail};
}

} // namespace kelvarn::tidy
