#include "FakeTranscriber.h"

namespace kelvarn::testing {

FakeTranscriber::FakeTranscriber(std::shared_ptr<FakeTranscriberScript> script)
    : m_script(std::move(script)) {
    m_script->current = this;
}

void FakeTranscriber::log(const std::string& call) const {
    if (m_script->calls != nullptr) {
        m_script->calls->push_back(call);
    }
}

QCoro::Task<Result<bool>> FakeTranscriber::needsModelInstall() {
    log("needsModelInstall");
    co_return m_script->needsModel;
}

QCoro::Task<Result<void>> FakeTranscriber::installModel() {
    log("installModel");
    const auto script = m_script;
    co_await script->installGate.pass();
    co_return script->install;
}

QCoro::Task<Result<void>> FakeTranscriber::setVocabulary(std::vector<std::string> strings) {
    log("setVocabulary");
    m_script->vocabularies.push_back(std::move(strings));
    co_return m_script->vocabulary;
}

std::optional<speech::AudioFormat> FakeTranscriber::bestFormat(const speech::AudioFormat&) const {
    log("bestFormat");
    return m_script->format;
}

QCoro::Task<Result<void>> FakeTranscriber::prepare(const speech::AudioFormat&) {
    log("prepare");
    if (m_script->notice) {
        Q_EMIT notice(*m_script->notice);
    }
    co_return m_script->prepare;
}

Result<void> FakeTranscriber::start(std::shared_ptr<speech::AudioInputQueue> input) {
    log("startAnalysis");
    m_script->input = std::move(input);
    return m_script->start;
}

QCoro::Task<void> FakeTranscriber::finish() {
    log("finish");
    if (m_script->lastWords) {
        say(*m_script->lastWords, true);
    }
    co_return;
}

} // namespace kelvarn::testing
