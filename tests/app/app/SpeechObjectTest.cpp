#include "app/SpeechObject.h"
#include "speech/FakeAudioSource.h"
#include "speech/FakeTranscriber.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using speech::SpeechState;
using testing::runUntil;

TEST(SpeechObjectTest, FollowsTheEngineAndThePauseAndAnnouncesOnlyRealChanges) {
    auto audio = std::make_shared<testing::FakeAudioScript>();
    auto recogniser = std::make_shared<testing::FakeTranscriberScript>();
    speech::SpeechEngine engine(
        [audio] { return std::make_unique<testing::FakeAudioSource>(audio); },
        [recogniser] { return std::make_unique<testing::FakeTranscriber>(recogniser); });
    GradingStore store(SavedState{});
    app::StoreObject storeObject(store);
    app::SpeechObject speech(engine, storeObject);
    QSignalSpy state(&speech, &app::SpeechObject::stateChanged);
    QSignalSpy running(&speech, &app::SpeechObject::isRunningChanged);
    QSignalSpy symbol(&speech, &app::SpeechObject::symbolChanged);
    QSignalSpy colour(&speech, &app::SpeechObject::colourChanged);
    QSignalSpy text(&speech, &app::SpeechObject::statusTextChanged);
    QSignalSpy meter(&speech, &app::SpeechObject::showsLevelChanged);
    QSignalSpy partial(&speech, &app::SpeechObject::partialChanged);
    QSignalSpy failure(&speech, &app::SpeechObject::failureMessageChanged);

    EXPECT_EQ(speech.state(), "off");
    EXPECT_EQ(speech.statusText(), "Not listening");
    EXPECT_EQ(speech.colour(), "secondary");

    // Starting and downloading share the symbol and the colour: only the text changes.
    recogniser->needsModel = true;
    recogniser->installGate.close();
    QCoro::connect(engine.start({}), &engine, [] {});
    ASSERT_TRUE(runUntil([&] { return speech.state() == "downloadingModel"; }));
    EXPECT_EQ(speech.statusText(), "Downloading speech model (one time)…");
    EXPECT_EQ(symbol.count(), 1);
    EXPECT_EQ(colour.count(), 1);
    EXPECT_EQ(text.count(), 2);
    EXPECT_EQ(running.count(), 1);
    EXPECT_TRUE(speech.isRunning());
    recogniser->installGate.open();
    ASSERT_TRUE(runUntil([&] { return speech.state() == "listening"; }));
    EXPECT_EQ(state.count(), 4);
    EXPECT_EQ(running.count(), 1) << "running all along";
    EXPECT_TRUE(speech.showsLevel());

    // The store's pause changes what the header shows, not the engine's state.
    storeObject.setVoicePaused(true);
    storeObject.setVoicePaused(true);
    EXPECT_EQ(speech.symbol(), "mic.slash.fill");
    EXPECT_EQ(speech.colour(), "orange");
    EXPECT_EQ(speech.statusText(), "Paused — say “resume listening”");
    EXPECT_FALSE(speech.showsLevel());
    EXPECT_EQ(state.count(), 4);
    EXPECT_EQ(meter.count(), 2);
    EXPECT_EQ(text.count(), 5) << "starting, downloading, starting, listening, paused";

    auto& transcriber = static_cast<testing::FakeTranscriber&>(*recogniser->current);
    transcriber.say("nadia", false);
    transcriber.say("nadia", false);
    EXPECT_EQ(partial.count(), 1);
    EXPECT_EQ(speech.partial(), "nadia");

    transcriber.breakDown("The recogniser stopped.");
    EXPECT_EQ(speech.state(), "failed");
    EXPECT_EQ(speech.failureMessage(), "The recogniser stopped.");
    EXPECT_EQ(speech.statusText(), "The recogniser stopped.");
    EXPECT_EQ(speech.symbol(), "exclamationmark");
    EXPECT_EQ(speech.colour(), "red");
    EXPECT_FALSE(speech.isRunning());
    EXPECT_EQ(failure.count(), 1);
}

} // namespace
} // namespace kelvarn
