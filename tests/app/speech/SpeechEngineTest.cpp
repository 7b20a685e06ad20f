#include "speech/SpeechEngine.h"
#include "FakeAudioSource.h"
#include "FakeTranscriber.h"
#include "speech/SpeechMessages.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

namespace kelvarn::speech {
namespace {

using testing::await;
using testing::runUntil;
using namespace std::chrono_literals;

const std::string deniedMessage =
    "Microphone access denied. Check that a microphone is connected and allowed in your sound "
    "settings.";

class SpeechEngineTest : public ::testing::Test {
protected:
    SpeechEngineTest() {
        audio->calls = &calls;
        recogniser->calls = &calls;
        connectObservers();
    }

    void connectObservers() {
        QObject::connect(&engine, &SpeechEngine::stateChanged,
                         [this] { states.push_back(engine.state()); });
        QObject::connect(&engine, &SpeechEngine::partialChanged,
                         [this] { partials.push_back(engine.partial()); });
        QObject::connect(&engine, &SpeechEngine::levelChanged,
                         [this] { levels.push_back(engine.level()); });
        engine.setOnFinal([this](const QString& text, const speech::Recording&) {
            finals.push_back(text);
            partialAtFinal.push_back(engine.partial());
        });
    }

    void clearObserved() {
        states.clear();
        partials.clear();
        levels.clear();
        calls.clear();
    }

    bool start(std::vector<std::string> vocabulary = {"intro", "Nadia"}) {
        return await(engine.start(std::move(vocabulary)));
    }
    bool stop() { return await(engine.stop()); }
    testing::FakeTranscriber& transcriber() {
        return static_cast<testing::FakeTranscriber&>(*recogniser->current);
    }

    std::vector<std::string> calls;
    std::shared_ptr<testing::FakeAudioScript> audio = std::make_shared<testing::FakeAudioScript>();
    std::shared_ptr<testing::FakeTranscriberScript> recogniser =
        std::make_shared<testing::FakeTranscriberScript>();
    SpeechEngine engine{[this] { return std::make_unique<testing::FakeAudioSource>(audio); },
                        [this]() -> std::unique_ptr<Transcriber> {
                            if (!recogniser->available) {
                                return nullptr;
                            }
                            return std::make_unique<testing::FakeTranscriber>(recogniser);
                        }};
    std::vector<SpeechState> states;
    std::vector<QString> partials;
    std::vector<float> levels;
    std::vector<QString> finals;
    std::vector<QString> partialAtFinal;
};

TEST_F(SpeechEngineTest, StartsInOrderAndStopsCaptureBeforeFinishingTheRecogniser) {
    EXPECT_EQ(engine.state(), SpeechState::off());
    EXPECT_FALSE(engine.isRunning());

    ASSERT_TRUE(start({"zeta", "intro", "intro", "Nadia Ford"}));
    EXPECT_EQ(states, (std::vector{SpeechState::starting(), SpeechState::listening()}));
    EXPECT_TRUE(engine.isRunning());
    EXPECT_EQ(calls, (std::vector<std::string>{"needsModelInstall", "setVocabulary", "bestFormat",
                                               "prepare", "startAnalysis", "startCapture"}));
    ASSERT_EQ(recogniser->vocabularies.size(), 1u);
    EXPECT_EQ(recogniser->vocabularies[0],
              (std::vector<std::string>{"zeta", "intro", "intro", "Nadia Ford"}))
        << "the vocabulary is passed unchanged";
    EXPECT_EQ(audio->running, 1);

    clearObserved();
    recogniser->lastWords = "next student";
    ASSERT_TRUE(stop());
    EXPECT_EQ(calls, (std::vector<std::string>{"stopCapture", "finish"}));
    EXPECT_TRUE(recogniser->input->isFinished()) << "the stream is closed before finishing";
    EXPECT_EQ(finals, std::vector<QString>{"next student"})
        << "words finished while stopping still arrive";
    EXPECT_EQ(states, std::vector{SpeechState::off()});
    EXPECT_EQ(audio->running, 0);
}

TEST_F(SpeechEngineTest, EveryStartFailureStopsFirstAndShowsItsMessage) {
    struct Case {
        std::string name;
        std::function<void(testing::FakeAudioScript&, testing::FakeTranscriberScript&)> arrange;
        std::string message;
    };
    const std::vector<Case> cases{
        {"denied", [](auto& a, auto&) { a.access = MicrophoneAccess::denied; }, deniedMessage},
        {"restricted", [](auto& a, auto&) { a.access = MicrophoneAccess::restricted; },
         deniedMessage},
        {"refused",
         [](auto& a, auto&) {
             a.access = MicrophoneAccess::notDetermined;
             a.grant = false;
         },
         deniedMessage},
        {"no recogniser", [](auto&, auto& t) { t.available = false; },
         "On-device transcription isn't available on this computer."},
        {"no format", [](auto&, auto& t) { t.format = std::nullopt; },
         "No compatible audio format for transcription."},
        {"asset request", [](auto&, auto& t) { t.needsModel = Error{"asset query broke"}; },
         "asset query broke"},
        {"download",
         [](auto&, auto& t) {
             t.needsModel = true;
             t.install = Error{"download broke"};
         },
         "download broke"},
        {"context", [](auto&, auto& t) { t.vocabulary = Error{"context broke"}; }, "context broke"},
        {"prepare", [](auto&, auto& t) { t.prepare = Error{"prepare broke"}; }, "prepare broke"},
        {"analysis", [](auto&, auto& t) { t.start = Error{"analysis broke"}; }, "analysis broke"},
        {"capture", [](auto& a, auto&) { a.startError = "device busy"; }, "device busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        audio = std::make_shared<testing::FakeAudioScript>();
        audio->calls = &calls;
        recogniser = std::make_shared<testing::FakeTranscriberScript>();
        recogniser->calls = &calls;
        c.arrange(*audio, *recogniser);
        clearObserved();

        ASSERT_TRUE(start());
        EXPECT_EQ(engine.state(), SpeechState::failed(c.message));
        EXPECT_FALSE(engine.isRunning());
        EXPECT_EQ(engine.partial(), "");
        EXPECT_EQ(engine.level(), 0.0f);
        EXPECT_EQ(audio->running, 0) << "nothing keeps capturing";
        EXPECT_EQ(states.back(), SpeechState::failed(c.message));
        EXPECT_EQ(states.size(), c.name == "download" ? 4u : 3u)
            << "starting, (downloading, starting,) off, then failed";
    }
    // The failure is kept until a new start.
    clearObserved();
    ASSERT_TRUE(stop());
    EXPECT_EQ(engine.state(), SpeechState::failed("device busy"));
    EXPECT_TRUE(states.empty());
}

TEST_F(SpeechEngineTest, AsksForTheMicrophoneOnceAndListensWhenGranted) {
    audio->access = MicrophoneAccess::notDetermined;
    engine.preferReadings([](const std::string& text) { return text == "next student"; });
    ASSERT_TRUE(start());
    EXPECT_EQ(engine.state(), SpeechState::listening());
    EXPECT_EQ(calls.front(), "requestAccess");
    ASSERT_TRUE(recogniser->expected) << "the application's preference reaches the recogniser";
    EXPECT_TRUE(recogniser->expected("next student"));

    engine.preferReadings([](const std::string& text) { return text == "omar haddad"; });
    ASSERT_TRUE(recogniser->expected);
    EXPECT_TRUE(recogniser->expected("omar haddad")) << "a new preference reaches it while running";
    EXPECT_FALSE(recogniser->expected("next student"));
}

TEST_F(SpeechEngineTest, ShowsTheModelDownloadAndIgnoresStartsWhileRunning) {
    recogniser->needsModel = true;
    recogniser->installGate.close();
    auto starting = engine.start({"intro"});
    ASSERT_TRUE(runUntil([&] { return engine.state() == SpeechState::downloadingModel(); }));
    EXPECT_TRUE(engine.isRunning());

    ASSERT_TRUE(start()) << "a second start returns at once";
    EXPECT_EQ(audio->created, 1);
    EXPECT_EQ(engine.state(), SpeechState::downloadingModel());

    recogniser->installGate.open();
    ASSERT_TRUE(await(std::move(starting)));
    EXPECT_EQ(states, (std::vector{SpeechState::starting(), SpeechState::downloadingModel(),
                                   SpeechState::starting(), SpeechState::listening()}));

    clearObserved();
    ASSERT_TRUE(start());
    EXPECT_TRUE(states.empty());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(audio->created, 1);
}

TEST_F(SpeechEngineTest, AStopWhileStartingWinsOverTheStartStillUnderWay) {
    audio->access = MicrophoneAccess::notDetermined;
    audio->accessGate.close();
    auto starting = engine.start({});
    ASSERT_TRUE(runUntil([&] { return engine.state() == SpeechState::starting(); }));
    ASSERT_TRUE(stop());
    EXPECT_EQ(engine.state(), SpeechState::off());
    audio->accessGate.open();
    ASSERT_TRUE(await(std::move(starting)));
    EXPECT_EQ(engine.state(), SpeechState::off());
    EXPECT_EQ(audio->running, 0);
    EXPECT_EQ(recogniser->current, nullptr) << "the abandoned start made no recogniser";
}

TEST_F(SpeechEngineTest, PassesResultsOnWithoutTouchingTheirText) {
    ASSERT_TRUE(start());
    transcriber().say("nadia", false);
    transcriber().say("nadia", false);
    transcriber().say("nadia ford", false);
    EXPECT_EQ(partials, (std::vector<QString>{"nadia", "nadia ford"}))
        << "an unchanged partial notifies nobody";
    transcriber().say("  nadia ford intro complete ", true);
    transcriber().say("", true);
    EXPECT_EQ(finals, (std::vector<QString>{"  nadia ford intro complete ", ""}));
    EXPECT_EQ(partialAtFinal, (std::vector<QString>{"", ""})) << "partial is cleared first";
    EXPECT_EQ(engine.partial(), "");
}

TEST_F(SpeechEngineTest, ARecognitionFailureKeepsCaptureUntilStopOrANewStart) {
    ASSERT_TRUE(start());
    transcriber().say("half a sen", false);
    transcriber().breakDown("The recogniser stopped.");
    EXPECT_EQ(engine.state(), SpeechState::failed("The recogniser stopped."));
    EXPECT_FALSE(engine.isRunning());
    EXPECT_EQ(audio->running, 1) << "capture goes on";

    // Starting again replaces the broken run; its capture is ended rather than leaked.
    ASSERT_TRUE(start());
    EXPECT_EQ(engine.state(), SpeechState::listening());
    EXPECT_EQ(audio->running, 1);
    EXPECT_EQ(audio->created, 2);

    transcriber().breakDown("Again.");
    clearObserved();
    ASSERT_TRUE(stop());
    EXPECT_EQ(audio->running, 0);
    EXPECT_EQ(engine.state(), SpeechState::failed("Again.")) << "the message stays";
    EXPECT_EQ(engine.partial(), "");
    EXPECT_EQ(states, std::vector<SpeechState>{});
}

TEST_F(SpeechEngineTest, UpdatesTheVocabularyOnlyWhileListening) {
    ASSERT_TRUE(await(engine.updateVocabulary({"early"})));
    EXPECT_TRUE(calls.empty());

    ASSERT_TRUE(start({"first"}));
    recogniser->vocabulary = Error{"rejected"};
    ASSERT_TRUE(await(engine.updateVocabulary({"second"})));
    EXPECT_EQ(recogniser->vocabularies.back(), std::vector<std::string>{"second"});
    EXPECT_EQ(engine.state(), SpeechState::listening()) << "a failed update is ignored";

    ASSERT_TRUE(stop());
    const auto given = recogniser->vocabularies.size();
    ASSERT_TRUE(await(engine.updateVocabulary({"late"})));
    EXPECT_EQ(recogniser->vocabularies.size(), given);
}

TEST_F(SpeechEngineTest, PostsLevelsOfTheRunningCaptureOnly) {
    audio->format = {16000, 1, SampleType::float32};
    recogniser->format = audio->format;
    ASSERT_TRUE(start());
    const AudioBuffer quiet{audio->format, std::vector<float>(4096, 0.05f)};
    for (int i = 0; i < 3; ++i) {
        audio->deliver(quiet);
    }
    ASSERT_TRUE(runUntil([&] { return !levels.empty(); }));
    EXPECT_NEAR(engine.level(), 0.4f, 1e-5f);
    ASSERT_NE(recogniser->input, nullptr);
    auto queued = recogniser->input->pop(0ms);
    ASSERT_TRUE(queued.has_value());
    ASSERT_NE(queued->floats(), nullptr) << "matching formats pass unconverted";
    EXPECT_EQ(queued->floats()->size(), 4096u);

    // A level still on its way when capture stops does not bring the meter back.
    const auto handler = audio->handler;
    ASSERT_TRUE(stop());
    EXPECT_EQ(engine.level(), 0.0f);
    for (int i = 0; i < 3; ++i) {
        handler(quiet);
    }
    EXPECT_FALSE(runUntil([&] { return engine.level() != 0.0f; }, 50ms));
}

TEST_F(SpeechEngineTest, AMicrophoneThatGoesAwayIsSaidAndListeningResumesOnceItIsBack) {
    engine.setMicrophoneRetryInterval(1ms);
    int returned = 0;
    QObject::connect(&engine, &SpeechEngine::microphoneReturned, [&] { ++returned; });
    ASSERT_TRUE(start({"Nadia"}));

    audio->access = MicrophoneAccess::notDetermined;
    audio->grant = false;
    audio->lose();
    ASSERT_TRUE(runUntil([&] { return engine.state().kind == SpeechState::Kind::failed; }));
    EXPECT_EQ(engine.state(), SpeechState::failed(messages::microphoneLost));
    EXPECT_EQ(audio->running, 0) << "the lost capture is let go";
    EXPECT_EQ(engine.level(), 0.0f);

    const int probed = audio->created;
    ASSERT_TRUE(runUntil([&] { return audio->created >= probed + 2; }))
        << "it keeps looking while there is no microphone";
    EXPECT_EQ(engine.state(), SpeechState::failed(messages::microphoneLost));
    EXPECT_EQ(returned, 0);

    audio->grant = true;
    ASSERT_TRUE(runUntil([&] { return engine.state() == SpeechState::listening(); }));
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(audio->running, 1);
    EXPECT_EQ(recogniser->vocabularies.back(), std::vector<std::string>{"Nadia"})
        << "with the vocabulary it had";
}

TEST_F(SpeechEngineTest, StartingOrStoppingWhileTheMicrophoneIsLostEndsTheSearch) {
    engine.setMicrophoneRetryInterval(1ms);
    ASSERT_TRUE(start());
    audio->lose();
    ASSERT_TRUE(runUntil([&] { return engine.state().kind == SpeechState::Kind::failed; }));
    ASSERT_TRUE(stop());
    const int probed = audio->created;
    EXPECT_FALSE(runUntil([&] { return audio->created > probed; }, 50ms));
    EXPECT_FALSE(engine.isRunning());

    // A loss reported after its capture was stopped changes nothing.
    ASSERT_TRUE(start());
    const auto lateReport = audio->failed;
    ASSERT_TRUE(stop());
    ASSERT_TRUE(start());
    lateReport();
    EXPECT_FALSE(runUntil([&] { return engine.state() != SpeechState::listening(); }, 50ms));
}

TEST_F(SpeechEngineTest, ARecogniserThatFallsBehindLosesTheOldestAudioAndItIsSaidOnce) {
    audio->format = {16000, 1, SampleType::float32};
    recogniser->format = audio->format;
    int dropped = 0;
    QObject::connect(&engine, &SpeechEngine::audioDropped, [&] { ++dropped; });
    ASSERT_TRUE(start());
    // The fake recogniser never reads: a minute of audio piles up behind it.
    const AudioBuffer chunk{audio->format, std::vector<float>(4096, 0.01f)};
    for (int i = 0; i < 240; ++i) {
        audio->deliver(chunk);
    }
    ASSERT_TRUE(runUntil([&] { return dropped > 0; }));
    std::size_t frames = 0;
    while (const auto buffer = recogniser->input->pop(0ms)) {
        frames += buffer->frameCount();
    }
    EXPECT_LE(frames, 8u * 16000u) << "no more than the queue's few seconds are kept";
    EXPECT_GT(frames, 4u * 16000u);
    for (int i = 0; i < 240; ++i) {
        audio->deliver(chunk);
    }
    ASSERT_TRUE(stop());
    EXPECT_EQ(dropped, 1);
}

} // namespace
} // namespace kelvarn::speech
