// The training window's model over a private sound server: takes recorded from its virtual
// microphone, checked, handed to a trainer, and the profile forgotten again.
#include "app/VoiceTrainingObject.h"
#include "PrivateSoundServer.h"
#include "speech/VoiceProfile.h"
#include "speech/WavFile.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace kelvarn::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class VoiceTrainingObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::PrivateSoundServer::isInstalled() ||
            QProcess::execute("sox", {"--version"}) != 0) {
            GTEST_SKIP() << "pulseaudio, paplay or sox is not installed (scripts/setup installs "
                            "them)";
        }
        server.emplace();
        ASSERT_TRUE(server->isRunning()) << server->log();
        // A tone, then silence for the capture to catch up before Stop.
        tone = (temp.path() / "tone.wav").string();
        ASSERT_EQ(QProcess::execute("sox", {"-n", "-r", "16000", "-c", "1", "-b", "16",
                                            QString::fromStdString(tone), "synth", "0.8", "sine",
                                            "300", "vol", "0.3", "pad", "0", "0.6"}),
                  0);
        training.emplace(VoiceTrainingObject::Services{
            temp.path() / "data",
            [] { return std::vector<std::string>{"Nadia Ford"}; },
            [this](const std::vector<speech::TrainingPrompt>& prompts,
                   const VoiceTrainingObject::Progress& progress) {
                return trainer(prompts, progress);
            },
            [this](bool muted) { mutes.push_back(muted); },
            [this] { ++profileChanges; },
            2,
        });
    }

    // Records one take while `sound` plays into the microphone (nothing: only the room).
    void recordTake(const std::string& sound) {
        int levels = 0;
        bool loud = false;
        bool quietAfterLoud = false;
        const auto watch = QObject::connect(&*training, &VoiceTrainingObject::levelChanged, [&] {
            ++levels;
            quietAfterLoud = quietAfterLoud || (loud && training->level() < 0.01);
            loud = loud || training->level() > 0.1;
        });
        training->record();
        ASSERT_TRUE(training->recording());
        // Capture is under way once it reports a level.
        ASSERT_TRUE(kelvarn::testing::runUntil([&] { return levels > 0; }, 10s));
        if (!sound.empty()) {
            ASSERT_TRUE(server->play(sound)) << server->log();
            // The whole sound is captured once the silence after it is.
            ASSERT_TRUE(kelvarn::testing::runUntil([&] { return quietAfterLoud; }, 10s));
        }
        training->stopRecording();
        ASSERT_TRUE(kelvarn::testing::runUntil([&] { return !training->recording(); }, 10s));
        QObject::disconnect(watch);
    }

    kelvarn::testing::TempFolder temp;
    std::optional<kelvarn::testing::PrivateSoundServer> server;
    std::string tone;
    std::optional<VoiceTrainingObject> training;
    std::function<speech::TrainingOutcome(const std::vector<speech::TrainingPrompt>&,
                                          const VoiceTrainingObject::Progress&)>
        trainer;
    std::vector<bool> mutes;
    int profileChanges = 0;
};

TEST_F(VoiceTrainingObjectTest, TakesAreCheckedTrainedOnAndAMismatchIsReadAgain) {
    ASSERT_GE(training->count(), 20);
    EXPECT_FALSE(training->trained());
    const QString first = training->prompt();

    recordTake("");
    EXPECT_EQ(training->recordedCount(), 0) << "silence is no take";
    EXPECT_TRUE(training->message().startsWith("Nothing was heard"))
        << training->message().toStdString();
    EXPECT_EQ(training->prompt(), first) << "the same prompt again";
    EXPECT_EQ(mutes, (std::vector<bool>{true, false})) << "listening hears silence meanwhile";

    recordTake(tone);
    EXPECT_EQ(training->recordedCount(), 1) << training->message().toStdString();
    EXPECT_TRUE(training->message().isEmpty());
    EXPECT_EQ(training->index(), 1) << "on to the next prompt";
    recordTake(tone);
    EXPECT_EQ(training->recordedCount(), 2);

    // The trainer gets each take as a file of what was recorded, with its prompt; a take it
    // cannot match is asked for again.
    std::vector<speech::TrainingPrompt> given;
    trainer = [&](const std::vector<speech::TrainingPrompt>& prompts,
                  const VoiceTrainingObject::Progress& progress) {
        given = prompts;
        for (const auto& prompt : prompts) {
            const auto audio = speech::wavFile::read(prompt.wav);
            EXPECT_TRUE(audio && audio.value().frameCount() > 16000 / 2) << prompt.wav;
        }
        progress({"Adapting", 0.5});
        return speech::TrainingOutcome{{1}, "Too few recordings matched their text."};
    };
    training->train();
    EXPECT_TRUE(training->training());
    ASSERT_TRUE(kelvarn::testing::runUntil([&] { return !training->training(); }, 10s));
    ASSERT_EQ(given.size(), 2u);
    EXPECT_EQ(QString::fromStdString(given[0].text), first);
    EXPECT_FALSE(fs::exists(given[0].wav)) << "the takes' files go once training ends";
    EXPECT_EQ(training->recordedCount(), 1);
    EXPECT_EQ(training->index(), 1) << "the mismatched prompt is shown";
    EXPECT_TRUE(training->message().contains("did not match")) << training->message().toStdString();
    EXPECT_EQ(profileChanges, 0);

    recordTake(tone);
    trainer = [&](const std::vector<speech::TrainingPrompt>&,
                  const VoiceTrainingObject::Progress& progress) {
        progress({"Adapting", 0.5});
        fs::create_directories(speech::voiceProfile::folder(temp.path() / "data"));
        // Trained, though without the first take: it is asked for again all the same.
        return speech::TrainingOutcome{{0, 7}, ""};
    };
    training->train();
    ASSERT_TRUE(kelvarn::testing::runUntil([&] { return !training->training(); }, 10s));
    EXPECT_TRUE(training->trained());
    EXPECT_EQ(training->progress(), 1.0);
    EXPECT_TRUE(training->message().startsWith("Trained on 1 recordings"))
        << training->message().toStdString();
    EXPECT_TRUE(training->message().contains("did not match them: 1;"))
        << "a position past the takes given is no take " << training->message().toStdString();
    EXPECT_EQ(training->recordedCount(), 1);
    EXPECT_EQ(training->prompt(), first);
    EXPECT_EQ(profileChanges, 1) << "listening takes the profile up";

    training->forget();
    EXPECT_FALSE(training->trained());
    EXPECT_FALSE(fs::exists(speech::voiceProfile::folder(temp.path() / "data")));
    EXPECT_EQ(profileChanges, 2);
}

// Utterances fixed while grading, handed over with the words they were: checked like read
// takes, trained on with them, and one the trainer cannot match goes, having no line to read.
TEST(VoiceTrainingAddedTakesTest, CountTowardTrainingAndAMismatchedOneGoes) {
    kelvarn::testing::TempFolder temp;
    std::vector<speech::TrainingPrompt> given;
    VoiceTrainingObject training({
        temp.path() / "data",
        {},
        [&](const std::vector<speech::TrainingPrompt>& prompts,
            const VoiceTrainingObject::Progress&) {
            given = prompts;
            fs::create_directories(speech::voiceProfile::folder(temp.path() / "data"));
            return speech::TrainingOutcome{{1}, ""};
        },
        {},
        {},
        2,
    });
    // A second of a loud tone in a quiet room.
    std::vector<std::int16_t> samples(32000, 0);
    for (std::size_t i = 8000; i < 24000; ++i) {
        samples[i] = static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(i) * 0.1));
    }
    const auto said = std::make_shared<const std::vector<std::int16_t>>(samples);
    const auto silent = std::make_shared<const std::vector<std::int16_t>>(32000, 0);

    EXPECT_EQ(training.addTake(silent, "nadia ford"), speech::TakeProblem::nothingSaid);
    EXPECT_EQ(training.addTake(nullptr, "nadia ford"), speech::TakeProblem::nothingSaid);
    EXPECT_EQ(training.addTake(said, ""), speech::TakeProblem::nothingSaid) << "no words";
    EXPECT_EQ(training.addedCount(), 0);
    training.train();
    EXPECT_FALSE(training.training()) << "too few takes";

    EXPECT_EQ(training.addTake(said, "nadia ford intro complete"), speech::TakeProblem::none);
    EXPECT_EQ(training.addTake(said, "omar haddad conclusion mostly"), speech::TakeProblem::none);
    EXPECT_EQ(training.addedCount(), 2);
    EXPECT_EQ(training.recordedCount(), 0) << "no line was read";
    training.train();
    ASSERT_TRUE(training.training()) << "added takes count toward the fewest";
    ASSERT_TRUE(kelvarn::testing::runUntil([&] { return !training.training(); }, 10s));
    ASSERT_EQ(given.size(), 2u);
    EXPECT_EQ(given[0].text, "nadia ford intro complete");
    EXPECT_EQ(given[1].text, "omar haddad conclusion mostly");
    EXPECT_TRUE(training.trained());
    EXPECT_EQ(training.addedCount(), 1) << "the mismatched one is gone";
    EXPECT_TRUE(training.message().startsWith("Trained on 1 recordings"))
        << training.message().toStdString();

    EXPECT_NE(VoiceTrainingObject::addedTakeLine(speech::TakeProblem::none, "next student")
                  .find("“next student”"),
              std::string::npos);
    EXPECT_NE(VoiceTrainingObject::addedTakeLine(speech::TakeProblem::tooQuiet, "next student")
                  .find("too quiet"),
              std::string::npos);
}

} // namespace
} // namespace kelvarn::app
