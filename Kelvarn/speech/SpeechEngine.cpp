#include "speech/SpeechEngine.h"

#include "speech/AudioTap.h"
#include "speech/SpeechMessages.h"

#include <QPointer>

#include <utility>

namespace kelvarn::speech {

SpeechEngine::SpeechEngine(SourceFactory sources, TranscriberFactory transcribers, QObject* parent)
    : QObject(parent), m_sources(std::move(sources)), m_transcribers(std::move(transcribers)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(std::chrono::seconds(2));
    connect(&m_retry, &QTimer::timeout, this,
            [this] { QCoro::connect(lookForMicrophone(), this, [] {}); });
}

void SpeechEngine::setMicrophoneRetryInterval(std::chrono::milliseconds interval) {
    m_retry.setInterval(interval);
}

// Capture must end before the tap's posts could reach a destroyed engine.
SpeechEngine::~SpeechEngine() {
    unsubscribe();
    if (m_source) {
        m_source->stop();
    }
    if (m_input) {
        m_input->finish();
    }
}

// Whoever starts or stops listening ends the search for a lost microphone.
QCoro::Task<void> SpeechEngine::start(std::vector<std::string> vocabulary) {
    m_lookingForMicrophone = false;
    m_retry.stop();
    return listen(std::move(vocabulary));
}

QCoro::Task<void> SpeechEngine::stop() {
    m_lookingForMicrophone = false;
    m_retry.stop();
    const bool ended = co_await halt();
    if (ended && m_state.isRunning()) {
        setState(SpeechState::off());
    }
}

QCoro::Task<void> SpeechEngine::listen(std::vector<std::string> vocabulary) {
    if (isRunning()) {
        co_return;
    }
    const std::uint64_t run = ++m_run;
    m_vocabulary = vocabulary;
    setState(SpeechState::starting());
    QPointer self(this);
    // A recognition failure leaves capture running; it is ended before a new one begins.
    if (m_source || m_transcriber || m_input) {
        co_await release(run);
        if (!self || !isCurrent(run)) {
            co_return;
        }
    }
    const Result<void> started = co_await setUp(std::move(vocabulary), run);
    // A stop, or a stop and a new start, came while this one waited: that one decides.
    if (!self || !isCurrent(run) || started) {
        co_return;
    }
    // Ended as a stop ends it, then why.
    const bool ended = co_await halt();
    if (ended) {
        setState(SpeechState::off());
        setState(SpeechState::failed(started.error()));
    }
}

QCoro::Task<Result<void>> SpeechEngine::setUp(std::vector<std::string> vocabulary,
                                              std::uint64_t run) {
    QPointer self(this);
    const auto superseded = [&] { return !self || !isCurrent(run); };
    const Error abandoned{"superseded"};

    std::unique_ptr<AudioSource> source = m_sources();
    switch (source->access()) {
    case MicrophoneAccess::authorized:
        break;
    case MicrophoneAccess::notDetermined: {
        const bool granted = co_await source->requestAccess();
        if (superseded()) {
            co_return abandoned;
        }
        if (!granted) {
            co_return Error{source->refusal()};
        }
        break;
    }
    case MicrophoneAccess::restricted:
    case MicrophoneAccess::denied:
        co_return Error{source->refusal()};
    }

    std::unique_ptr<Transcriber> transcriber = m_transcribers();
    if (!transcriber) {
        co_return Error{messages::transcriptionUnavailable};
    }
    // From now: a recogniser may speak up while it loads.
    connect(transcriber.get(), &Transcriber::notice, this, &SpeechEngine::notice);
    const Result<bool> needsModel = co_await transcriber->needsModelInstall();
    if (superseded()) {
        co_return abandoned;
    }
    if (!needsModel) {
        co_return Error{needsModel.error()};
    }
    if (needsModel.value()) {
        setState(SpeechState::downloadingModel());
        const Result<void> installed = co_await transcriber->installModel();
        if (superseded()) {
            co_return abandoned;
        }
        if (!installed) {
            co_return installed;
        }
        setState(SpeechState::starting());
    }

    const Result<void> context = co_await transcriber->setVocabulary(std::move(vocabulary));
    if (superseded()) {
        co_return abandoned;
    }
    if (!context) {
        co_return context;
    }

    const AudioFormat captureFormat = source->captureFormat();
    const std::optional<AudioFormat> format = transcriber->bestFormat(captureFormat);
    if (!format) {
        co_return Error{messages::noCompatibleFormat};
    }
    const Result<void> prepared = co_await transcriber->prepare(*format);
    if (superseded()) {
        co_return abandoned;
    }
    if (!prepared) {
        co_return prepared;
    }

    // Handed over after the last wait, so a test changed while starting is not missed.
    if (m_expected) {
        transcriber->preferReadings(m_expected);
    }
    // Reports from the audio thread are posted here; one that arrives after its run is dropped.
    SpeechEngine* engine = this;
    const auto post = [engine, run](auto work) {
        QMetaObject::invokeMethod(
            engine,
            [engine, run, work] {
                if (engine->isCurrent(run)) {
                    work();
                }
            },
            Qt::QueuedConnection);
    };
    auto input = std::make_shared<AudioInputQueue>(std::chrono::seconds(8), [post, engine] {
        post([engine] { Q_EMIT engine->audioDropped(); });
    });
    subscribe(*transcriber);
    if (Result<void> analysing = transcriber->start(input); !analysing) {
        co_return analysing;
    }

    auto tap = std::make_shared<AudioTap>(
        captureFormat, *format, input,
        [post, engine](float l) { post([engine, l] { engine->setLevel(l); }); }, m_muted);
    const auto lost = [post, engine, run] {
        post([engine, run] { QCoro::connect(engine->loseMicrophone(run), engine, [] {}); });
    };
    if (Result<void> capturing =
            source->start([tap](const AudioBuffer& b) { tap->process(b); }, lost);
        !capturing) {
        co_return capturing;
    }

    m_source = std::move(source);
    m_transcriber = std::move(transcriber);
    m_input = std::move(input);
    setState(SpeechState::listening());
    co_return Result<void>{};
}

// False when the engine went, or a newer start or stop took over, while it waited.
QCoro::Task<bool> SpeechEngine::halt() {
    const std::uint64_t run = ++m_run;
    QPointer self(this);
    co_await release(run);
    if (!self || !isCurrent(run)) {
        co_return false;
    }
    setPartial({});
    setLevel(0);
    co_return true;
}

// Capture stops first and the stream is closed, so the recogniser's last words still arrive
// before results are no longer listened to.
QCoro::Task<void> SpeechEngine::release(std::uint64_t run) {
    if (const std::unique_ptr<AudioSource> source = std::move(m_source)) {
        source->stop();
    }
    if (const std::shared_ptr<AudioInputQueue> input = std::exchange(m_input, nullptr)) {
        input->finish();
    }
    if (const std::unique_ptr<Transcriber> transcriber = std::move(m_transcriber)) {
        QPointer self(this);
        co_await transcriber->finish();
        if (!self || !isCurrent(run)) {
            co_return;
        }
    }
    unsubscribe();
}

void SpeechEngine::preferReadings(Transcriber::ReadingTest expected) {
    m_expected = std::move(expected);
    if (m_transcriber) {
        m_transcriber->preferReadings(m_expected);
    }
}

QCoro::Task<void> SpeechEngine::updateVocabulary(std::vector<std::string> vocabulary) {
    if (!m_transcriber) {
        co_return;
    }
    m_vocabulary = vocabulary;
    // A failure keeps the vocabulary in effect, which is all that can be done about it.
    static_cast<void>(co_await m_transcriber->setVocabulary(std::move(vocabulary)));
}

// Capture ended by itself: the run ends as a stop would, the header says what happened, and
// the microphone is looked for until it is back or the user starts or stops listening.
QCoro::Task<void> SpeechEngine::loseMicrophone(std::uint64_t lostRun) {
    if (!isCurrent(lostRun) || !m_source) {
        co_return;
    }
    const bool ended = co_await halt();
    if (!ended) {
        co_return;
    }
    setState(SpeechState::failed(messages::microphoneLost));
    m_lookingForMicrophone = true;
    m_retry.start();
}

// A source that grants access is a microphone that is back: listening starts again with the
// vocabulary it had.
QCoro::Task<void> SpeechEngine::lookForMicrophone() {
    QPointer self(this);
    std::unique_ptr<AudioSource> probe = m_sources();
    bool back = probe->access() == MicrophoneAccess::authorized;
    if (probe->access() == MicrophoneAccess::notDetermined) {
        back = co_await probe->requestAccess();
    }
    probe.reset();
    if (!self || !m_lookingForMicrophone) {
        co_return;
    }
    if (!back) {
        m_retry.start();
        co_return;
    }
    co_await listen(m_vocabulary);
    if (!self || !m_lookingForMicrophone) {
        co_return;
    }
    if (m_state == SpeechState::listening()) {
        m_lookingForMicrophone = false;
        Q_EMIT microphoneReturned();
    } else if (m_state.kind == SpeechState::Kind::failed) {
        // Gone again before capture began: keep looking, and keep saying why.
        setState(SpeechState::failed(messages::microphoneLost));
        m_retry.start();
    }
}

void SpeechEngine::subscribe(Transcriber& transcriber) {
    unsubscribe();
    m_results.push_back(connect(&transcriber, &Transcriber::result, this, &SpeechEngine::onResult));
    m_results.push_back(connect(&transcriber, &Transcriber::recorded, this,
                                [this](const Recording& recording) { m_recording = recording; }));
    m_results.push_back(
        connect(&transcriber, &Transcriber::failed, this, [this](const QString& message) {
            setState(SpeechState::failed(message.toStdString()));
        }));
}

void SpeechEngine::unsubscribe() {
    for (const QMetaObject::Connection& connection : m_results) {
        disconnect(connection);
    }
    m_results.clear();
}

// The final text is passed as heard, even when blank: the receiver decides what it means.
void SpeechEngine::onResult(const QString& text, bool isFinal) {
    if (!isFinal) {
        setPartial(text);
        return;
    }
    setPartial({});
    const Recording recording = std::exchange(m_recording, {});
    if (m_onFinal) {
        m_onFinal(text, recording);
    }
}

void SpeechEngine::setState(SpeechState state) {
    if (state == m_state) {
        return;
    }
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

void SpeechEngine::setPartial(const QString& partial) {
    if (partial == m_partial) {
        return;
    }
    m_partial = partial;
    Q_EMIT partialChanged();
}

void SpeechEngine::setLevel(float level) {
    if (level == m_level) {
        return;
    }
    m_level = level;
    Q_EMIT levelChanged();
}

} // namespace kelvarn::speech
