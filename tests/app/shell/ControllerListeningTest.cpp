#include "AppController.h"
#include "ShellFakes.h"
#include "speech/FakeAudioSource.h"
#include "speech/FakeTranscriber.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using speech::SpeechState;

TEST(ControllerListeningTest, ListensHandsFinalsToTheStoreAndKeepsTheRecogniserUpToDate) {
    auto audio = std::make_shared<testing::FakeAudioScript>();
    auto recogniser = std::make_shared<testing::FakeTranscriberScript>();
    testing::FakeScheduler scheduler;
    testing::FakeDialogs dialogs;
    auto engine = std::make_unique<speech::SpeechEngine>(
        [audio] { return std::make_unique<testing::FakeAudioSource>(audio); },
        [recogniser] { return std::make_unique<testing::FakeTranscriber>(recogniser); });
    speech::SpeechEngine& speech = *engine;
    app::AppController controller(
        {std::nullopt, scheduler, dialogs, {}, nullptr, std::move(engine)});
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

} // namespace
} // namespace kelvarn
