#include "app/AppController.h"
#include "app/AppFakes.h"
#include "speech/FakeAudioSource.h"
#include "speech/FakeTranscriber.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace kelvarn {
namespace {

using speech::SpeechState;

// A controller listening through the fake microphone and recogniser.
class ControllerListeningTest : public ::testing::Test {
protected:
    std::unique_ptr<speech::SpeechEngine> makeEngine() {
        return std::make_unique<speech::SpeechEngine>(
            [audio = audio] { return std::make_unique<testing::FakeAudioSource>(audio); },
            [recogniser = recogniser] {
                return std::make_unique<testing::FakeTranscriber>(recogniser);
            });
    }

    std::shared_ptr<testing::FakeAudioScript> audio = std::make_shared<testing::FakeAudioScript>();
    std::shared_ptr<testing::FakeTranscriberScript> recogniser =
        std::make_shared<testing::FakeTranscriberScript>();
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    app::AppController controller{{std::nullopt, scheduler, dialogs, {}, nullptr, makeEngine()}};
    speech::SpeechEngine& speech = *controller.speech();
};

TEST_F(ControllerListeningTest, ListensHandsFinalsToTheStoreAndKeepsTheRecogniserUpToDate) {
    GradingStore& store = controller.store();
    store.loadRoster({"Nadia Ford", "Omar Haddad"});

    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));
    ASSERT_FALSE(recogniser->vocabularies.empty());
    EXPECT_NE(std::find(recogniser->vocabularies.back().begin(),
                        recogniser->vocabularies.back().end(), "nadia ford"),
              recogniser->vocabularies.back().end());
    ASSERT_TRUE(recogniser->expected);
    EXPECT_TRUE(recogniser->expected("omar haddad intro complete"));
    EXPECT_FALSE(recogniser->expected("a careful well argued essay"));
    store.loadRoster({"Nadia Ford", "Omar Haddad", "Ingrid Larsen"});
    EXPECT_TRUE(recogniser->expected("ingrid larsen")) << "a new roster reaches the recogniser";

    auto* transcriber = qobject_cast<testing::FakeTranscriber*>(recogniser->current.data());
    ASSERT_NE(transcriber, nullptr);
    transcriber->say("  Nadia Ford intro complete  ", true);
    ASSERT_TRUE(testing::runUntil([&] { return store.session().focus.section.has_value(); }));
    EXPECT_EQ(store.feed().at(store.feed().size() - 4).text, "Nadia Ford intro complete");

    const auto updates = recogniser->vocabularies.size();
    controller.addCorrection("nadir", "Nadia");
    ASSERT_TRUE(testing::runUntil([&] { return recogniser->vocabularies.size() > updates; }));

    controller.toggleListening();
    EXPECT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::off(); }));
}

TEST_F(ControllerListeningTest, ListeningFallsAsleepAfterTheQuietTimeAndAWordOrTheKeyWakesIt) {
    using namespace std::chrono_literals;
    GradingStore& store = controller.store();
    store.loadRoster({"Nadia Ford"});
    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));
    auto* transcriber = qobject_cast<testing::FakeTranscriber*>(recogniser->current.data());
    ASSERT_NE(transcriber, nullptr);

    scheduler.advance(9min);
    transcriber->say("nadia ford", true);
    ASSERT_TRUE(testing::runUntil([&] { return store.session().focus.studentID.has_value(); }));
    scheduler.advance(9min);
    EXPECT_FALSE(store.voicePaused()) << "a heard word starts the quiet time anew";
    scheduler.advance(1min);
    EXPECT_TRUE(store.voicePaused());
    EXPECT_TRUE(controller.asleep());
    EXPECT_EQ(controller.speechObject()->statusText(), "Asleep — say “resume listening”");
    EXPECT_EQ(store.feed().back().text, "Asleep after 10 minutes without a word — say “resume "
                                        "listening” or press Ctrl+Alt+L to wake it");

    controller.toggleListening();
    EXPECT_FALSE(store.voicePaused()) << "the key wakes it rather than stopping";
    EXPECT_TRUE(speech.isRunning());
    EXPECT_FALSE(controller.asleep());

    // Asleep again, then woken by voice; a pause the user asked for never counts as sleep.
    scheduler.advance(10min);
    ASSERT_TRUE(controller.asleep());
    transcriber->say("resume listening", true);
    ASSERT_TRUE(testing::runUntil([&] { return !store.voicePaused(); }));
    EXPECT_FALSE(controller.asleep());
    transcriber->say("pause listening", true);
    ASSERT_TRUE(testing::runUntil([&] { return store.voicePaused(); }));
    EXPECT_FALSE(controller.asleep());
    controller.toggleListening();
    EXPECT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::off(); }))
        << "the key stops a pause the user asked for, as it always did";

    controller.setSleepMinutes(0);
    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));
    scheduler.advance(24h);
    EXPECT_FALSE(controller.asleep()) << "0: never";
    controller.toggleListening();
    EXPECT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::off(); }));
}

bool hears(const std::vector<std::string>& vocabulary, const std::string& word) {
    return std::find(vocabulary.begin(), vocabulary.end(), word) != vocabulary.end();
}

TEST_F(ControllerListeningTest, TheRecogniserFollowsTheClassWhateverChangesIt) {
    controller.store().loadRoster({"Nadia Ford"});
    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));

    // A roster handed over by a second launch, as `kelvarn --roster FILE` does.
    testing::TempFolder temp;
    std::ofstream(temp.path() / "more.txt") << "Ingrid Larsen\n";
    auto updates = recogniser->vocabularies.size();
    controller.mergeRosterFile(QString::fromStdString((temp.path() / "more.txt").string()));
    ASSERT_TRUE(testing::runUntil([&] { return recogniser->vocabularies.size() > updates; }));
    EXPECT_TRUE(hears(recogniser->vocabularies.back(), "ingrid larsen"));

    updates = recogniser->vocabularies.size();
    controller.store().undo();
    ASSERT_TRUE(testing::runUntil([&] { return recogniser->vocabularies.size() > updates; }))
        << "an undo that takes a student away";
    EXPECT_FALSE(hears(recogniser->vocabularies.back(), "ingrid larsen"));
    EXPECT_TRUE(hears(recogniser->vocabularies.back(), "nadia ford"));

    // Grades leave the words as they are: the rule added after them is the one next update.
    updates = recogniser->vocabularies.size();
    controller.store().handleTranscript("Nadia Ford intro complete");
    controller.store().undo();
    controller.addCorrection("zefir", "Zephyrine");
    ASSERT_TRUE(testing::runUntil([&] { return recogniser->vocabularies.size() > updates; }));
    EXPECT_EQ(recogniser->vocabularies.size(), updates + 1);
    EXPECT_TRUE(hears(recogniser->vocabularies.back(), "Zephyrine"));

    controller.toggleListening();
    EXPECT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::off(); }));
}

TEST_F(ControllerListeningTest, HidingThePanelWhileListeningIsSaidInTheFeed) {
    controller.notePanelHidden();
    EXPECT_TRUE(controller.store().feed().empty()) << "nothing to say when not listening";

    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));
    controller.notePanelHidden();
    ASSERT_FALSE(controller.store().feed().empty());
    EXPECT_EQ(controller.store().feed().back().text,
              "Panel hidden — still listening, and acting on what is heard. Ctrl+Alt+L stops "
              "listening; Ctrl+Alt+G shows the panel.");
}

TEST_F(ControllerListeningTest, TheFeedSaysWhenAudioWasDroppedAndWhenTheMicrophoneCameBack) {
    GradingStore& store = controller.store();
    const auto said = [&](const std::string& start) {
        return std::count_if(store.feed().begin(), store.feed().end(),
                             [&](const FeedItem& item) { return item.text.starts_with(start); });
    };
    speech.setMicrophoneRetryInterval(std::chrono::milliseconds(1));
    audio->format = {16000, 1, speech::SampleType::float32};
    recogniser->format = audio->format;
    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));

    const speech::AudioBuffer chunk{audio->format, std::vector<float>(4096, 0.0f)};
    for (int i = 0; i < 100; ++i) {
        audio->deliver(chunk);
    }
    ASSERT_TRUE(testing::runUntil([&] { return said("Speech recognition fell behind") == 1; }));

    audio->lose();
    ASSERT_TRUE(testing::runUntil([&] { return said("Microphone back — listening again.") == 1; }));
    EXPECT_EQ(speech.state(), SpeechState::listening());
    EXPECT_EQ(said("Speech recognition fell behind"), 1);
}

// Play in Fix plays what was said in the line it fixes: a line heard without a recording offers
// none, and a fix keeps the recording of the words it corrects. What the recogniser says while
// it loads, such as a voice profile it could not use, is a warning in the feed.
TEST_F(ControllerListeningTest, TheLastHeardLinesRecordingIsTheOneOffered) {
    GradingStore& store = controller.store();
    store.loadRoster({"Nadia Ford", "Omar Haddad"});
    recogniser->notice = "The voice profile could not be used.";
    controller.toggleListening();
    ASSERT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::listening(); }));
    EXPECT_EQ(store.feed().back().text, "The voice profile could not be used.")
        << "what the recogniser says while loading reaches the feed";
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);

    auto* transcriber = qobject_cast<testing::FakeTranscriber*>(recogniser->current.data());
    ASSERT_NE(transcriber, nullptr);
    app::ReplayObject& replay = *controller.replayObject();
    EXPECT_FALSE(replay.available());
    const auto said = std::make_shared<const std::vector<std::int16_t>>(16000, 100);
    transcriber->record(said);
    transcriber->say("nadia ford intro complete", true);
    ASSERT_TRUE(testing::runUntil([&] { return store.lastUtterance().has_value(); }));
    EXPECT_TRUE(replay.available());

    controller.fixLastUtterance("nadia ford intro complete", "omar haddad intro complete", false);
    ASSERT_TRUE(testing::runUntil([&] {
        return store.lastUtterance() && store.lastUtterance()->text == "omar haddad intro complete";
    }));
    EXPECT_TRUE(replay.available()) << "the fixed words were said in the same recording";
    std::vector<std::pair<speech::Recording, QString>> offered;
    QObject::connect(&replay, &app::ReplayObject::trainingTakeOffered,
                     [&](const speech::Recording& take, const QString& text) {
                         offered.emplace_back(take, text);
                     });
    replay.offerToTraining("  omar haddad intro complete \n");
    replay.offerToTraining("   ");
    ASSERT_EQ(offered.size(), 1u) << "no words, nothing to train on";
    EXPECT_EQ(offered[0].first, said);
    EXPECT_EQ(offered[0].second, "omar haddad intro complete");

    transcriber->say("next student", true);
    ASSERT_TRUE(testing::runUntil(
        [&] { return store.lastUtterance() && store.lastUtterance()->text == "next student"; }));
    EXPECT_FALSE(replay.available()) << "the earlier recording is not this line's";
    replay.offerToTraining("next student");
    EXPECT_EQ(offered.size(), 1u) << "a line without its recording offers none";
    controller.toggleListening();
    EXPECT_TRUE(testing::runUntil([&] { return speech.state() == SpeechState::off(); }));
}

} // namespace
} // namespace kelvarn
