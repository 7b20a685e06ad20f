#include "tidy/NoteTidier.h"

#include "tidy/ClaudeCommand.h"
#include "tidy/ClaudeLocator.h"
#include "tidy/TidyInstructions.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>

namespace kelvarn::tidy {

namespace {

struct Exchange {
    TidyInput input;
    std::string prompt;
};

Result<Exchange> prepare(const StudentRecord& student) {
    TidyInput input = tidyInput(student);
    if (input.empty()) {
        return Error{"No notes to tidy."};
    }
    Result<std::string> prompt = promptText(input);
    if (!prompt) {
        return Error{prompt.error()};
    }
    return Exchange{std::move(input), std::move(prompt).value()};
}

Result<TidiedNotes> finish(const ProcessOutcome& outcome, const StudentRecord& student,
                           const TidyInput& sent) {
    const Result<std::string> reply = claudeReply(outcome);
    if (!reply) {
        return Error{reply.error()};
    }
    return readReply(reply.value(), student, sent);
}

const Error claudeNotFound{
    "Couldn't find the `claude` CLI. Install Claude Code, or check that `claude` is on your PATH."};

} // namespace

NoteTidier::NoteTidier(Preferences& preferences, ToolSetting setting)
    : m_preferences(preferences), m_setting(std::move(setting)) {}

QCoro::Task<Result<TidiedNotes>> NoteTidier::tidy(StudentRecord student) {
    const QString system = systemPrompt(instructions(m_preferences));
    const Result<Exchange> exchange = co_await QtConcurrent::run(prepare, student);
    if (!exchange) {
        co_return Error{exchange.error()};
    }
    const std::optional<QString> claude = co_await findClaude(m_setting);
    if (!claude) {
        co_return claudeNotFound;
    }
    const ProcessOutcome outcome = co_await runToEnd(
        claudeRequest(*claude, system, QString::fromStdString(exchange.value().prompt), m_setting));
    co_return co_await QtConcurrent::run(finish, outcome, student, exchange.value().input);
}

} // namespace kelvarn::tidy
