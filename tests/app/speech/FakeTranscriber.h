#pragma once

#include "Gate.h"
#include "speech/Transcriber.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvarn::testing {

// What the fake transcribers of one test do, and what happened to them.
struct FakeTranscriberScript {
    bool available = true;
    Result<bool> needsModel = false;
    Gate installGate;
    Result<void> install;
    Result<void> vocabulary;
    std::optional<speech::AudioFormat> format = speech::speechFormat;
    Result<void> prepare;
    // Said by the recogniser while it prepares.
    std::optional<QString> notice;
    Result<void> start;
    // Said by the recogniser while it finishes the stream.
    std::optional<QString> lastWords;

    std::vector<std::string>* calls = nullptr;
    std::vector<std::vector<std::string>> vocabularies;
    speech::Transcriber::ReadingTest expected;
    QPointer<speech::Transcriber> current;
    std::shared_ptr<speech::AudioInputQueue> input;
};

class FakeTranscriber final : public speech::Transcriber {
    Q_OBJECT

public:
    explicit FakeTranscriber(std::shared_ptr<FakeTranscriberScript> script);

    void preferReadings(ReadingTest expected) override { m_script->expected = std::move(expected); }
    QCoro::Task<Result<bool>> needsModelInstall() override;
    QCoro::Task<Result<void>> installModel() override;
    QCoro::Task<Result<void>> setVocabulary(std::vector<std::string> strings) override;
    std::optional<speech::AudioFormat>
    bestFormat(const speech::AudioFormat& captureFormat) const override;
    QCoro::Task<Result<void>> prepare(const speech::AudioFormat& format) override;
    Result<void> start(std::shared_ptr<speech::AudioInputQueue> input) override;
    QCoro::Task<void> finish() override;

    void say(const QString& text, bool isFinal) { Q_EMIT result(text, isFinal); }
    void record(const speech::Recording& recording) { Q_EMIT recorded(recording); }
    void breakDown(const QString& message) { Q_EMIT failed(message); }

private:
    void log(const std::string& call) const;

    std::shared_ptr<FakeTranscriberScript> m_script;
};

} // namespace kelvarn::testing
