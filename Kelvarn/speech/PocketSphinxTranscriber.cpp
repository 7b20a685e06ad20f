#include "speech/PocketSphinxTranscriber.h"

#include <QCoroSignal>

#include <algorithm>
#include <span>
#include <utility>

namespace kelvarn::speech {

namespace {
using namespace std::chrono_literals;
// How long the recogniser waits for audio before it looks at other work.
constexpr auto pollInterval = 100ms;
const QString brokenMessage = QStringLiteral("Speech recognition stopped working.");
// Audio kept from before speech was detected, so a decoding again starts where the first did.
constexpr std::size_t keptBeforeSpeech = 16000;
// Commands are short and said in one breath: once what is heard reads entirely as commands, the
// detector's short silence ends them. Anything else waits for the whole silence, and for the
// detector to hear speech again after its short one, so a note's pauses end it no sooner
// than before.
std::size_t noteWaitSamples(const SphinxSettings& settings) {
    if (settings.commandEndFrames <= 0 || settings.commandEndFrames >= settings.postSpeechFrames) {
        return 0;
    }
    const int frames =
        settings.postSpeechFrames - settings.commandEndFrames + SphinxSettings::restartFrames;
    return static_cast<std::size_t>(frames) * 160;
}
// 30 ms: how finely the end of an utterance of commands is looked for, when commands end
// sooner; otherwise the detector is asked once per captured buffer.
constexpr std::size_t pieceSamples = 480;
// Played back from 0.3 s before the detector heard speech: its start is a little late.
constexpr std::size_t keptForReplay = 4800;
// The longest utterance that can be decoded again: 30 s, about 1 MB.
constexpr std::size_t keptAtMost = 30 * 16000;

// The open utterance's audio, so that a vocabulary that arrives while it is heard is used for
// it: ending it early would split the words, and finishing it on the old model would mishear
// the very names the new one brings.
class UtteranceAudio {
public:
    void add(std::span<const std::int16_t> samples, bool heard) {
        if (!m_complete) {
            return;
        }
        m_samples.insert(m_samples.end(), samples.begin(), samples.end());
        if (!heard && m_samples.size() > 2 * keptBeforeSpeech) {
            m_samples.erase(m_samples.begin(),
                            m_samples.end() - static_cast<std::ptrdiff_t>(keptBeforeSpeech));
        } else if (m_samples.size() > keptAtMost) {
            m_complete = false;
            m_samples = {};
        }
    }
    // Nothing when the utterance ran too long to be kept whole.
    const std::vector<std::int16_t>* samples() const { return m_complete ? &m_samples : nullptr; }
    // Where the detector hears speech in the samples added last, unless it already has.
    void markSpeech(std::size_t lastAdded) {
        if (m_complete && m_heardFrom == notHeard) {
            m_heardFrom = m_samples.size() - std::min(lastAdded, m_samples.size());
        }
    }
    // What it heard was noise without words.
    void unmarkSpeech() { m_heardFrom = notHeard; }
    // What the user said, from a moment before the detector heard it, for playing back.
    Recording recording() const {
        if (!m_complete || m_heardFrom == notHeard) {
            return nullptr;
        }
        const std::size_t from = m_heardFrom > keptForReplay ? m_heardFrom - keptForReplay : 0;
        return std::make_shared<const std::vector<std::int16_t>>(
            m_samples.begin() + static_cast<std::ptrdiff_t>(from), m_samples.end());
    }
    void clear() {
        m_samples.clear();
        m_complete = true;
        m_heardFrom = notHeard;
    }

private:
    static constexpr std::size_t notHeard = static_cast<std::size_t>(-1);
    std::vector<std::int16_t> m_samples;
    bool m_complete = true;
    // Where the detector first heard speech.
    std::size_t m_heardFrom = notHeard;
};

} // namespace

std::unique_ptr<Transcriber> PocketSphinxTranscriber::create(const SphinxSettings& settings) {
    if (!settings.modelIsInstalled()) {
        return nullptr;
    }
    return std::unique_ptr<Transcriber>(new PocketSphinxTranscriber(settings));
}

PocketSphinxTranscriber::PocketSphinxTranscriber(const SphinxSettings& settings)
    : m_settings(settings) {}

PocketSphinxTranscriber::~PocketSphinxTranscriber() {
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        if (m_input) {
            m_input->wake();
        }
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void PocketSphinxTranscriber::preferReadings(ReadingTest expected) {
    auto shared = std::make_shared<const ReadingTest>(std::move(expected));
    const std::lock_guard lock(m_mutex);
    m_expected = std::move(shared);
}

// The model comes with the system's package; there is nothing to download.
QCoro::Task<Result<bool>> PocketSphinxTranscriber::needsModelInstall() {
    co_return false;
}

QCoro::Task<Result<void>> PocketSphinxTranscriber::installModel() {
    co_return Result<void>{};
}

// Returns once handed over: the model is built on the recogniser thread, between utterances.
QCoro::Task<Result<void>> PocketSphinxTranscriber::setVocabulary(std::vector<std::string> strings) {
    {
        const std::lock_guard lock(m_mutex);
        m_vocabulary = std::move(strings);
        if (m_input) {
            m_input->wake();
        }
    }
    m_wake.notify_all();
    co_return Result<void>{};
}

std::optional<AudioFormat> PocketSphinxTranscriber::bestFormat(const AudioFormat&) const {
    return speechFormat;
}

QCoro::Task<Result<void>> PocketSphinxTranscriber::prepare(const AudioFormat& format) {
    if (format != speechFormat) {
        co_return Error{"The speech recogniser takes 16 kHz mono audio only."};
    }
    if (m_thread.joinable()) {
        co_return Error{"The speech recogniser is already prepared."};
    }
    // Loading the model takes a moment, so it happens on the recogniser thread.
    m_thread = std::thread(&PocketSphinxTranscriber::run, this);
    if (!m_loaded) {
        co_await qCoro(this, &PocketSphinxTranscriber::decoderLoaded);
    }
    co_return *m_loaded;
}

Result<void> PocketSphinxTranscriber::start(std::shared_ptr<AudioInputQueue> input) {
    if (!m_loaded || !*m_loaded) {
        return Error{"The speech recogniser is not prepared."};
    }
    {
        const std::lock_guard lock(m_mutex);
        m_input = std::move(input);
    }
    m_wake.notify_all();
    return {};
}

QCoro::Task<void> PocketSphinxTranscriber::finish() {
    bool started = false;
    {
        const std::lock_guard lock(m_mutex);
        started = m_input != nullptr;
    }
    if (!started || !m_thread.joinable()) {
        co_return;
    }
    if (!m_drained) {
        co_await qCoro(this, &PocketSphinxTranscriber::inputDrained);
    }
    m_thread.join();
}

void PocketSphinxTranscriber::post(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

bool PocketSphinxTranscriber::quitting() {
    const std::lock_guard lock(m_mutex);
    return m_quit;
}

// The recogniser thread.
void PocketSphinxTranscriber::run() {
    auto decoder = SphinxDecoder::create(m_settings);
    if (decoder) {
        applyVocabulary(*decoder.value());
    }
    Result<void> loaded = decoder ? Result<void>{} : Result<void>{Error{decoder.error()}};
    const QString profileFailure =
        decoder ? QString::fromStdString(decoder.value()->profileFailure()) : QString();
    post([this, loaded, profileFailure] {
        m_loaded = loaded;
        if (!profileFailure.isEmpty()) {
            Q_EMIT notice(profileFailure);
        }
        Q_EMIT decoderLoaded();
    });
    if (!decoder) {
        return;
    }
    const std::shared_ptr<AudioInputQueue> input = waitForInput();
    if (!input) {
        return;
    }
    decode(*decoder.value(), *input);
    discard(*input);
    if (!quitting()) {
        post([this] {
            m_drained = true;
            Q_EMIT inputDrained();
        });
    }
}

std::shared_ptr<AudioInputQueue> PocketSphinxTranscriber::waitForInput() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_input != nullptr || m_quit; });
    return m_quit ? nullptr : m_input;
}

// An utterance ends when the decoder's voice detector hears enough silence after speech; the
// end of the stream ends the one under way.
void PocketSphinxTranscriber::decode(SphinxDecoder& decoder, AudioInputQueue& input) {
    const auto emitResult = [this](std::string text, bool isFinal) {
        post(
            [this, text = QString::fromStdString(text), isFinal] { Q_EMIT result(text, isFinal); });
    };
    const auto emitRecording = [this](const UtteranceAudio& audio) {
        if (Recording recording = audio.recording()) {
            post([this, recording = std::move(recording)] { Q_EMIT recorded(recording); });
        }
    };
    const auto breakDown = [this] { post([this] { Q_EMIT failed(brokenMessage); }); };
    // Ends the utterance; one heard while a new vocabulary came is decoded again with it.
    const auto endUtterance = [&](const UtteranceAudio& audio) {
        if (!decoder.endUtterance()) {
            return false;
        }
        const std::vector<std::int16_t>* samples = audio.samples();
        if (samples == nullptr || !vocabularyPending()) {
            return true;
        }
        applyVocabulary(decoder);
        return decoder.startUtterance() && decoder.process(*samples) && decoder.endUtterance();
    };

    if (!decoder.startUtterance()) {
        breakDown();
        return;
    }
    // Speech was detected in the open utterance, and is being detected now.
    bool heard = false;
    bool speaking = false;
    std::string partial;
    // Since the detector heard the short silence that ends commands, in an utterance that is
    // not: it waits on so that a note is not cut at a pause for thought.
    bool waiting = false;
    std::size_t waited = 0;
    // Audio since speech was first detected in the open utterance; and whether the utterance
    // under way follows one cut at the longest an utterance may be, so is dropped too.
    std::size_t spoken = 0;
    bool dropping = false;
    const auto longest = static_cast<std::size_t>(std::max(1, m_settings.maxUtteranceFrames)) * 160;
    const std::size_t noteWait = noteWaitSamples(m_settings);
    UtteranceAudio audio;
    while (!quitting()) {
        // The search may only change outside an utterance: the open one, which has heard
        // nothing, is closed around the change.
        if (!heard && vocabularyPending()) {
            if (!decoder.endUtterance()) {
                breakDown();
                return;
            }
            applyVocabulary(decoder);
            audio.clear();
            if (!decoder.startUtterance()) {
                breakDown();
                return;
            }
        }
        std::optional<AudioBuffer> buffer = input.pop(pollInterval);
        if (!buffer) {
            if (input.drained()) {
                break;
            }
            continue;
        }
        const std::vector<std::int16_t>* samples = buffer->ints();
        if (samples == nullptr || buffer->format != speechFormat) {
            continue;
        }
        // Heard in short pieces, so an utterance of commands ends as soon as it may.
        const std::size_t step = noteWait > 0 ? pieceSamples : samples->size();
        for (std::size_t at = 0; at < samples->size(); at += step) {
            const std::span<const std::int16_t> piece(samples->data() + at,
                                                      std::min(step, samples->size() - at));
            if (!decoder.process(piece)) {
                breakDown();
                return;
            }
            const bool wasSpeaking = std::exchange(speaking, decoder.inSpeech());
            if (speaking) {
                heard = true;
            }
            audio.add(piece, heard);
            spoken += heard ? piece.size() : 0;
            if (spoken >= longest) {
                // Nothing of it is acted on, to the end of the talk: a pause ends the dropping.
                if (!decoder.endUtterance() || !decoder.startUtterance()) {
                    breakDown();
                    return;
                }
                if (!dropping) {
                    post([this, seconds = longest / 16000] {
                        Q_EMIT notice(QStringLiteral("Not acted on: over %1 s of speech without a "
                                                     "pause, more like talk than a command or a "
                                                     "note. Nothing was filed.")
                                          .arg(seconds));
                    });
                }
                emitResult({}, false);
                dropping = true;
                heard = false;
                spoken = 0;
                waiting = false;
                partial.clear();
                audio.clear();
                continue;
            }
            if (speaking) {
                audio.markSpeech(piece.size());
                waiting = false;
                if (std::string hypothesis = decoder.hypothesis();
                    !dropping && hypothesis != partial) {
                    partial = hypothesis;
                    emitResult(std::move(hypothesis), false);
                }
                continue;
            }
            if (wasSpeaking) {
                // A stretch of noise the detector took for speech, with no words in it, does
                // not end the utterance: ending it would teach the recogniser's normalisation
                // that noise, and the next real words would be heard worse.
                const std::string hypothesis = decoder.hypothesis();
                if (hypothesis.empty()) {
                    audio.unmarkSpeech();
                    continue;
                }
                if (noteWait > 0 && !readsAsExpected(hypothesis)) {
                    waiting = true;
                    waited = 0;
                    continue;
                }
            } else if (!waiting || (waited += piece.size()) < noteWait) {
                continue;
            }
            if (!endUtterance(audio)) {
                breakDown();
                return;
            }
            if (!std::exchange(dropping, false)) {
                emitRecording(audio);
                emitResult(finalReading(decoder), true);
            }
            spoken = 0;
            heard = false;
            waiting = false;
            partial.clear();
            audio.clear();
            if (!decoder.startUtterance()) {
                breakDown();
                return;
            }
        }
    }
    const bool ended = endUtterance(audio);
    if (heard && ended && !dropping && !quitting()) {
        emitRecording(audio);
        emitResult(finalReading(decoder), true);
    }
}

// The best reading, unless it is not what the application expects and a reading that scores
// nearly as well is: short utterances of commands and names are often heard as something
// close that is not. Dictation never reads as commands, so it is never turned into them. The
// test in effect when the utterance ends is the one used: a new roster applies from the next.
std::string PocketSphinxTranscriber::finalReading(const SphinxDecoder& decoder) {
    static constexpr std::size_t maxWords = 10;
    static constexpr std::size_t maxReadings = 20;
    static constexpr int scoreMargin = 1000;
    const std::shared_ptr<const ReadingTest> test = expectedReadings();
    const ReadingTest* expected = test && *test ? test.get() : nullptr;
    std::string best = decoder.hypothesis();
    if (expected == nullptr || (*expected)(best) ||
        static_cast<std::size_t>(std::ranges::count(best, ' ')) + 1 > maxWords) {
        return best;
    }
    for (std::string& reading : decoder.alternatives(maxReadings, scoreMargin)) {
        if ((*expected)(reading)) {
            return std::move(reading);
        }
    }
    return best;
}

bool PocketSphinxTranscriber::readsAsExpected(const std::string& reading) {
    const std::shared_ptr<const ReadingTest> test = expectedReadings();
    return test && *test && (*test)(reading);
}

std::shared_ptr<const Transcriber::ReadingTest> PocketSphinxTranscriber::expectedReadings() {
    const std::lock_guard lock(m_mutex);
    return m_expected;
}

bool PocketSphinxTranscriber::vocabularyPending() {
    const std::lock_guard lock(m_mutex);
    return m_vocabulary.has_value();
}

// A vocabulary that cannot be used leaves the one in effect.
void PocketSphinxTranscriber::applyVocabulary(SphinxDecoder& decoder) {
    std::optional<std::vector<std::string>> vocabulary;
    {
        const std::lock_guard lock(m_mutex);
        vocabulary.swap(m_vocabulary);
    }
    if (vocabulary) {
        static_cast<void>(decoder.useVocabulary(*vocabulary));
    }
}

// After a breakdown capture may go on until stopped: its audio is dropped, not hoarded.
void PocketSphinxTranscriber::discard(AudioInputQueue& input) {
    while (!quitting() && !input.drained()) {
        static_cast<void>(input.pop(pollInterval));
    }
}

} // namespace kelvarn::speech
