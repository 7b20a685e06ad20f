#include "engine/GradingStore.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/SpeechEngine.h"
#include "speech/WavFile.h"
#include "speech/WavFileSource.h"
#include "support/EventLoop.h"
#include "support/StoreHarness.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>

namespace kelvarn::speech {
namespace {

using testing::await;
using testing::runUntil;
using namespace std::chrono_literals;

// Starts playing its file only once the test lets it, so that what the test hands the engine
// first is in place however slowly this machine runs. Main thread only.
struct PlaybackHold {
    bool released = true;
    AudioSource::BufferHandler waiting;
    WavFileSource* source = nullptr;

    void hold() { released = false; }
    void release() {
        released = true;
        if (source != nullptr && waiting) {
            static_cast<void>(source->start(std::exchange(waiting, nullptr), nullptr));
        }
    }
};

class HeldSource final : public AudioSource {
public:
    HeldSource(std::unique_ptr<WavFileSource> source, std::shared_ptr<PlaybackHold> hold)
        : m_source(std::move(source)), m_hold(std::move(hold)) {
        m_hold->source = m_source.get();
    }
    ~HeldSource() override { m_hold->source = nullptr; }
    HeldSource(const HeldSource&) = delete;
    HeldSource& operator=(const HeldSource&) = delete;

    MicrophoneAccess access() const override { return m_source->access(); }
    QCoro::Task<bool> requestAccess() override { return m_source->requestAccess(); }
    AudioFormat captureFormat() const override { return m_source->captureFormat(); }
    Result<void> start(BufferHandler handler, FailureHandler) override {
        if (m_hold->released) {
            return m_source->start(std::move(handler), nullptr);
        }
        m_hold->waiting = std::move(handler);
        return {};
    }
    void stop() override {
        m_hold->waiting = nullptr;
        m_source->stop();
    }

private:
    std::unique_ptr<WavFileSource> m_source;
    std::shared_ptr<PlaybackHold> m_hold;
};

// Speech synthesised on the spot, recognised by the real recogniser, graded by the real store.
class SpeechEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("espeak-ng").isEmpty()) {
            GTEST_SKIP() << "espeak-ng is not installed (scripts/setup installs it)";
        }
        if (!SphinxSettings{}.modelIsInstalled()) {
            GTEST_SKIP() << "the PocketSphinx model is not installed (scripts/setup installs it)";
        }
        // As the application does: a copy of the parser, since the recogniser asks on its thread.
        engine.preferReadings([parser = harness.store.parser()](const std::string& text) {
            return parser.readsAsCommands(text);
        });
        engine.setOnFinal([this](const QString& text, const speech::Recording&) {
            heard.push_back(text.toStdString());
            harness.store.handleTranscript(text.toStdString());
        });
    }

    std::filesystem::path speak(const std::string& text) {
        return synthesise("flite", {"-voice", "slt", "-t", QString::fromStdString(text), "-o"});
    }

    // A formant synthesiser's voice: no room's rumble under it, and digital silence inside it.
    std::filesystem::path speakRobotically(const std::string& text) {
        return synthesise("espeak-ng", {"-v", "en-us", QString::fromStdString(text), "-w"});
    }

    // Runs the synthesiser with the output file's name after the arguments.
    std::filesystem::path synthesise(const QString& program, QStringList arguments) {
        const auto path = temp.path() / ("utterance" + std::to_string(++m_count) + ".wav");
        QProcess synthesiser;
        synthesiser.start(program, arguments << QString::fromStdString(path));
        EXPECT_TRUE(synthesiser.waitForFinished(20000));
        EXPECT_EQ(synthesiser.exitCode(), 0);
        return path;
    }

    // The same file after `seconds` of noise a single step of 16-bit samples loud, as from a
    // quiet microphone.
    std::filesystem::path afterFaintNoise(const std::filesystem::path& wav, double seconds) {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> step(-1, 1);
        std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * rate));
        std::ranges::generate(samples, [&] { return static_cast<std::int16_t>(step(random)); });
        const std::vector<std::int16_t> speech = samplesOf(wav, false);
        samples.insert(samples.end(), speech.begin(), speech.end());
        return written("noisy-" + wav.filename().string(), samples);
    }

    // The words of each file, without the synthesiser's own silence around them, one after
    // the other with `pause` seconds of silence between them and half a second around.
    std::filesystem::path saidWithPauses(const std::vector<std::filesystem::path>& wavs,
                                         double pause) {
        std::vector<std::int16_t> samples(rate / 2);
        for (const auto& wav : wavs) {
            const std::vector<std::int16_t> words = samplesOf(wav, true);
            samples.insert(samples.end(), words.begin(), words.end());
            samples.insert(samples.end(), static_cast<std::size_t>(pause * rate), 0);
        }
        samples.insert(samples.end(), rate / 2, 0);
        return written("paused" + std::to_string(++m_count) + ".wav", samples);
    }

    // A synthesiser's 16 kHz output as samples, trimmed of quiet ends when asked.
    std::vector<std::int16_t> samplesOf(const std::filesystem::path& wav, bool trimmed) {
        const auto audio = wavFile::read(wav);
        EXPECT_TRUE(audio);
        EXPECT_EQ(audio.value().format.sampleRate, rate);
        std::vector<std::int16_t> samples;
        for (const float sample : *audio.value().floats()) {
            samples.push_back(static_cast<std::int16_t>(sample * 32767.0f));
        }
        if (trimmed) {
            const auto loud = [](std::int16_t s) { return std::abs(s) > 300; };
            const auto first = std::ranges::find_if(samples, loud);
            const auto last = std::ranges::find_if(samples.rbegin(), samples.rend(), loud).base();
            samples =
                first < last ? std::vector<std::int16_t>(first, last) : std::vector<std::int16_t>{};
        }
        return samples;
    }

    std::filesystem::path written(const std::string& name,
                                  const std::vector<std::int16_t>& samples) {
        const auto path = temp.path() / name;
        const auto u32 = [](std::uint32_t v) {
            return std::string(reinterpret_cast<char*>(&v), 4);
        };
        const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
        std::ofstream out(path, std::ios::binary);
        out << "RIFF" << u32(36 + bytes) << "WAVEfmt " << u32(16) << u32(0x00010001) << u32(rate)
            << u32(rate * 2) << u32(0x00100002) << "data" << u32(bytes);
        out.write(reinterpret_cast<const char*>(samples.data()), bytes);
        return path;
    }

    // Plays the file through the engine, then stops it so the last utterance is finished.
    // Live-paced when a vocabulary is given: it is handed over once listening began, before
    // the file plays, or, when `whileHeard`, once the recogniser has begun to hear words.
    void listenTo(const std::filesystem::path& wav,
                  std::optional<std::vector<std::string>> vocabulary = std::nullopt,
                  bool whileHeard = false) {
        m_file = wav;
        m_ended = false;
        m_pace = vocabulary ? WavFileSource::Pace::realTime : WavFileSource::Pace::asFastAsPossible;
        if (vocabulary) {
            m_hold->hold();
        }
        ASSERT_TRUE(await(engine.start(vocabulary ? std::vector<std::string>{}
                                                  : harness.store.recognizerVocabulary()),
                          30s));
        ASSERT_EQ(engine.state(), SpeechState::listening()) << engine.state().message;
        if (vocabulary && whileHeard) {
            m_hold->release();
            ASSERT_TRUE(runUntil([this] { return !engine.partial().isEmpty(); }, 30s));
        }
        if (vocabulary) {
            ASSERT_TRUE(await(engine.updateVocabulary(*vocabulary)));
            m_hold->release();
        }
        ASSERT_TRUE(runUntil([this] { return m_ended.load(); }, 30s));
        ASSERT_TRUE(await(engine.stop(), 30s));
        EXPECT_EQ(engine.state(), SpeechState::off());
    }

    testing::TempFolder temp;
    testing::StoreHarness harness{{"Nadia Ford", "Omar Haddad", "Zoe Park"}};
    std::vector<std::string> heard;
    SpeechEngine engine{
        [this] {
            return std::make_unique<HeldSource>(
                std::make_unique<WavFileSource>(m_file, m_pace, [this] { m_ended = true; }),
                m_hold);
        },
        [this] { return PocketSphinxTranscriber::create(settings); }};
    SphinxSettings settings;

private:
    static constexpr std::uint32_t rate = 16000;
    std::shared_ptr<PlaybackHold> m_hold = std::make_shared<PlaybackHold>();
    int m_count = 0;
    std::filesystem::path m_file;
    WavFileSource::Pace m_pace = WavFileSource::Pace::asFastAsPossible;
    std::atomic<bool> m_ended = false;
};

// A roster, a chain of commands in one breath, and a dictated note, from a flite voice; the
// store ends where the intended words take it.
TEST_F(SpeechEndToEndTest, SpokenCommandsAndANoteReachTheStore) {
    listenTo(speak("omar haddad intro complete next student"));
    listenTo(speak("the thesis is clear"));

    ASSERT_EQ(heard.size(), 2u) << ::testing::PrintToString(heard);
    EXPECT_EQ(heard[0], "omar haddad intro complete next student");
    EXPECT_EQ(harness.record(1).grade(SectionID::intro).level, Level::complete);
    EXPECT_EQ(harness.store.session().focus.studentID, harness.id(2)) << "next student";
    EXPECT_NE(harness.record(2).overallNotes.find("thesis"), std::string::npos)
        << "the note is filed for the focused student, not run as a command";
    EXPECT_TRUE(engine.partial().isEmpty());
}

// Talk past the longest an utterance may be is dropped to its end, and said once; what is said
// after the pause that ends it is heard as usual.
TEST_F(SpeechEndToEndTest, TalkLongerThanAnUtteranceMayBeIsDroppedToItsEnd) {
    settings.maxUtteranceFrames = 300; // 3 s, for a short test
    std::vector<QString> notices;
    QObject::connect(&engine, &SpeechEngine::notice,
                     [&](const QString& message) { notices.push_back(message); });
    listenTo(saidWithPauses(
        {speak("the second paragraph wanders between three ideas and never comes back to the "
               "thesis, which makes the whole essay hard to follow"),
         speak("omar haddad intro complete")},
        1.2));
    EXPECT_EQ(heard, std::vector<std::string>{"omar haddad intro complete"});
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].startsWith("Not acted on: over 3 s of speech"))
        << notices[0].toStdString();
    EXPECT_TRUE(harness.record(1).overallNotes.empty()) << "nothing of the talk was filed";
    EXPECT_EQ(harness.record(1).grade(SectionID::intro).level, Level::complete);
}

// A detector that mistakes a quiet start for speech must not spoil the words that follow.
TEST_F(SpeechEndToEndTest, FaintNoiseBeforeTheWordsDoesNotSpoilThem) {
    listenTo(afterFaintNoise(speak("omar haddad intro complete"), 2.5));
    EXPECT_EQ(heard, std::vector<std::string>{"omar haddad intro complete"});
}

TEST_F(SpeechEndToEndTest, ARoboticVoiceIsHeard) {
    listenTo(speakRobotically("omar haddad analysis complete"));
    EXPECT_EQ(heard, std::vector<std::string>{"omar haddad analysis complete"});
    EXPECT_EQ(harness.record(1).grade(SectionID::analysis).level, Level::complete);
}

// The roster arrives while the recogniser waits in faint noise: it takes it before the words,
// and changing its model there leaves the open utterance sound to the end.
TEST_F(SpeechEndToEndTest, AVocabularyGivenWhileListeningIsUsedForTheNextWords) {
    listenTo(afterFaintNoise(speak("zoe park intro complete"), 1.5),
             harness.store.recognizerVocabulary());
    EXPECT_EQ(heard, std::vector<std::string>{"zoe park intro complete"});
    EXPECT_EQ(harness.record(2).grade(SectionID::intro).level, Level::complete);
}

// The roster arrives while the words are being heard: the utterance is decoded again with it
// rather than finished on a model that has never heard of Zoe Park.
TEST_F(SpeechEndToEndTest, AVocabularyGivenWhileWordsAreHeardIsUsedForThem) {
    listenTo(speak("zoe park intro complete"), harness.store.recognizerVocabulary(), true);
    EXPECT_EQ(heard, std::vector<std::string>{"zoe park intro complete"});
    EXPECT_EQ(harness.record(2).grade(SectionID::intro).level, Level::complete);
}

// Commands end at a pause too short to end a note: two commands a fifth of a second apart are
// two utterances, and a note with the same pause in it stays one.
TEST_F(SpeechEndToEndTest, CommandsEndAtAShortPauseAndANoteWaitsForALongerOne) {
    settings.commandEndFrames = 12;
    listenTo(saidWithPauses({speak("next student"), speak("omar haddad")}, 0.2));
    listenTo(saidWithPauses({speak("the thesis is clear"), speak("but the roadmap is thin")}, 0.2));

    ASSERT_EQ(heard.size(), 3u) << ::testing::PrintToString(heard);
    EXPECT_EQ(heard[0], "next student");
    EXPECT_EQ(heard[1], "omar haddad");
    EXPECT_TRUE(heard[2].starts_with("the thesis is clear") &&
                std::ranges::count(heard[2], ' ') >= 6)
        << "both halves of the note are one utterance: " << heard[2];
}

} // namespace
} // namespace kelvarn::speech
