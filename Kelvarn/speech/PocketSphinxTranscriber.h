#pragma once

#include "speech/SphinxDecoder.h"
#include "speech/Transcriber.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvarn::speech {

// The on-device recogniser: PocketSphinx on a recogniser thread of its own, which owns the
// decoder; results are posted to the main thread in order.
class PocketSphinxTranscriber final : public Transcriber {
    Q_OBJECT

public:
    // Nothing when the speech model is not installed.
    static std::unique_ptr<Transcriber> create(const SphinxSettings& settings = {});
    ~PocketSphinxTranscriber() override;

    void preferReadings(ReadingTest expected) override;
    QCoro::Task<Result<bool>> needsModelInstall() override;
    QCoro::Task<Result<void>> installModel() override;
    QCoro::Task<Result<void>> setVocabulary(std::vector<std::string> strings) override;
    std::optional<AudioFormat> bestFormat(const AudioFormat& captureFormat) const override;
    QCoro::Task<Result<void>> prepare(const AudioFormat& format) override;
    Result<void> start(std::shared_ptr<AudioInputQueue> input) override;
    QCoro::Task<void> finish() override;

Q_SIGNALS:
    // Hand-overs from the recogniser thread.
    void decoderLoaded();
    void inputDrained();

private:
    explicit PocketSphinxTranscriber(const SphinxSettings& settings);

    void run();
    std::shared_ptr<AudioInputQueue> waitForInput();
    void decode(SphinxDecoder& decoder, AudioInputQueue& input);
    void discard(AudioInputQueue& input);
    bool vocabularyPending();
    void applyVocabulary(SphinxDecoder& decoder);
    std::string finalReading(const SphinxDecoder& decoder);
    bool readsAsExpected(const std::string& reading);
    std::shared_ptr<const ReadingTest> expectedReadings();
    bool quitting();
    void post(std::function<void()> work);

    const SphinxSettings m_settings;

    // Shared with the recogniser thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<AudioInputQueue> m_input;
    std::optional<std::vector<std::string>> m_vocabulary;
    // Shared, so taking the current one for an utterance copies no parser.
    std::shared_ptr<const ReadingTest> m_expected;
    bool m_quit = false;

    // Main thread only.
    std::thread m_thread;
    std::optional<Result<void>> m_loaded;
    bool m_drained = false;
};

} // namespace kelvarn::speech
