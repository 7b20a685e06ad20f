#pragma once

#include "speech/AudioInputQueue.h"
#include "speech/AudioSource.h"
#include "speech/Recording.h"
#include "speech/SpeechState.h"
#include "speech/Transcriber.h"

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvarn::speech {

// Turns the microphone into text: captures, converts, feeds the recogniser and publishes its
// state, the unfinished transcript and the input level. Each finished utterance goes to the
// final-transcript handler. It knows nothing of grading.
//
// Threads: lives on the main thread; every operation and notification happens there. Only the
// audio tap runs on the capture thread, and it reaches the engine by posting.
class SpeechEngine final : public QObject {
    Q_OBJECT

public:
    using SourceFactory = std::function<std::unique_ptr<AudioSource>()>;
    // Nothing when this computer has no recogniser.
    using TranscriberFactory = std::function<std::unique_ptr<Transcriber>()>;
    // The text exactly as heard, and its audio when the recogniser kept it.
    using FinalHandler = std::function<void(const QString&, const Recording&)>;

    SpeechEngine(SourceFactory sources, TranscriberFactory transcribers, QObject* parent = nullptr);
    ~SpeechEngine() override;

    const SpeechState& state() const { return m_state; }
    const QString& partial() const { return m_partial; }
    float level() const { return m_level; }
    bool isRunning() const { return m_state.isRunning(); }
    void setOnFinal(FinalHandler handler) { m_onFinal = std::move(handler); }
    // Handed to the running recogniser, which takes it between utterances, and to every one
    // the engine starts; it must be safe on any thread.
    void preferReadings(Transcriber::ReadingTest expected);

    // Never fails to its caller: a failure ends in a failed state with the message. Does
    // nothing while running.
    QCoro::Task<void> start(std::vector<std::string> vocabulary);
    QCoro::Task<void> stop();
    // Only while listening; a failure leaves the previous vocabulary in effect.
    QCoro::Task<void> updateVocabulary(std::vector<std::string> vocabulary);
    // While muted the recogniser hears silence, so that what the computer itself plays is
    // not taken for the user's voice.
    void setMuted(bool muted) { m_muted->store(muted); }
    // How often a lost microphone is looked for again.
    void setMicrophoneRetryInterval(std::chrono::milliseconds interval);

Q_SIGNALS:
    void stateChanged();
    void partialChanged();
    void levelChanged();
    // The recogniser fell behind and the oldest audio was dropped; once per listening run.
    void audioDropped();
    // Listening started again by itself after the microphone went away.
    void microphoneReturned();
    // The recogniser's word on something that does not stop it, such as a voice profile it
    // could not use.
    void notice(const QString& message);

private:
    QCoro::Task<Result<void>> setUp(std::vector<std::string> vocabulary, std::uint64_t run);
    QCoro::Task<void> release(std::uint64_t run);
    void subscribe(Transcriber& transcriber);
    void unsubscribe();
    void onResult(const QString& text, bool isFinal);
    QCoro::Task<void> listen(std::vector<std::string> vocabulary);
    QCoro::Task<bool> halt();
    QCoro::Task<void> loseMicrophone(std::uint64_t run);
    QCoro::Task<void> lookForMicrophone();
    bool isCurrent(std::uint64_t run) const { return m_run == run; }

    void setState(SpeechState state);
    void setPartial(const QString& partial);
    void setLevel(float level);

    SourceFactory m_sources;
    TranscriberFactory m_transcribers;
    FinalHandler m_onFinal;
    Transcriber::ReadingTest m_expected;

    SpeechState m_state;
    QString m_partial;
    float m_level = 0;
    // The audio of the utterance whose final transcript comes next.
    Recording m_recording;
    std::shared_ptr<std::atomic<bool>> m_muted = std::make_shared<std::atomic<bool>>(false);

    // Present only while capture runs.
    std::unique_ptr<AudioSource> m_source;
    std::unique_ptr<Transcriber> m_transcriber;
    std::shared_ptr<AudioInputQueue> m_input;
    std::vector<QMetaObject::Connection> m_results;
    // Each start and stop begins a new run; work of an older run that resumes late is dropped.
    std::uint64_t m_run = 0;
    // What the recogniser was last given, for listening again after the microphone returns.
    std::vector<std::string> m_vocabulary;
    // While the microphone is lost and nobody has started or stopped listening since.
    bool m_lookingForMicrophone = false;
    QTimer m_retry;
};

} // namespace kelvarn::speech
