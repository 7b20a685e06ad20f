#include "tidy/NoteTidier.h"

#include "tidy/ClaudeCommand.h"
#include "tidy/ClaudeLocator.h"
#include "tidy/TidyInstructions.h"
#include "tidy/TidyTimeLimit.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>
#include <memory>

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

// Work for the thread pool; its result, which may hold megabytes, comes back without a copy.
template <typename R> QFuture<std::shared_ptr<R>> onThreadPool(std::function<R()> work) {
    return QtConcurrent::run([work = std::move(work)] { return std::make_shared<R>(work()); });
}

const Error claudeNotFound{
    "Couldn't find the `claude` CLI. Install Claude Code, or check that `claude` is on your PATH."};

} // namespace

NoteTidier::NoteTidier(Preferences& preferences, ToolSetting setting)
    : m_preferences(preferences), m_setting(std::move(setting)) {}

QCoro::Task<TidyOutcome> NoteTidier::tidy(StudentRecord student, std::stop_token stop) {
    // Copied before the first suspension, so the tidy never reaches back into the tidier.
    const QString system = systemPrompt(instructions(m_preferences));
    const std::chrono::milliseconds limit = timeLimit(m_preferences);
    const ToolSetting setting = m_setting;
    const TidyStopped cancelled{cancelledMessage(student.name)};
    // Futures are named: GCC 12 mishandles temporaries that own memory in a co_await expression.
    const auto preparing = onThreadPool<Result<Exchange>>([student] { return prepare(student); });
    const std::shared_ptr<Result<Exchange>> exchange = co_await preparing;
    if (stop.stop_requested()) {
        co_return cancelled;
    }
    if (!*exchange) {
        co_return Error{exchange->error()};
    }
    const std::optional<QString> claude = co_await findClaude(setting, stop);
    if (stop.stop_requested()) {
        co_return cancelled;
    }
    if (!claude) {
        co_return claudeNotFound;
    }
    const ProcessRequest request = claudeRequest(
        *claude, system, QByteArray::fromStdString(exchange->value().prompt), limit, setting);
    const ProcessOutcome outcome = co_await runToEnd(request, stop);
    if (outcome.ending == ProcessOutcome::Ending::cancelled) {
        co_return cancelled;
    }
    if (outcome.ending == ProcessOutcome::Ending::timedOut) {
        co_return TidyStopped{timedOutMessage(student.name, limit)};
    }
    const auto finishing =
        onThreadPool<Result<TidiedNotes>>([outcome, student, sent = exchange->value().input] {
            return finish(outcome, student, sent);
        });
    const std::shared_ptr<Result<TidiedNotes>> tidied = co_await finishing;
    if (stop.stop_requested()) {
        co_return cancelled;
    }
    if (!*tidied) {
        co_return Error{tidied->error()};
    }
    co_return std::move(*tidied).value();
}

} // namespace kelvarn::tidy
