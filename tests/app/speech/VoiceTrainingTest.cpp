#include "speech/VoiceTraining.h"
#include "speech/FormatConverter.h"
#include "speech/MixtureWeights.h"
#include "speech/SphinxDecoder.h"
#include "speech/ToolRun.h"
#include "speech/VoiceProfile.h"
#include "speech/WavFile.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace kelvarn::speech {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool trainingIsPossible() {
    return SphinxSettings{}.modelIsInstalled() && voiceTraining::toolsAreInstalled().ok() &&
           !QStandardPaths::findExecutable("espeak-ng").isEmpty() &&
           !QStandardPaths::findExecutable("sox").isEmpty();
}

TEST(MixtureWeightsTest, SendumpComesBackFromTheTrainersFormatUnchanged) {
    const SphinxSettings model;
    if (!model.modelIsInstalled() || !voiceTraining::toolsAreInstalled()) {
        GTEST_SKIP()
            << "the model or the trainer's tools are missing (scripts/setup installs them)";
    }
    const auto original = mixtureWeights::fromSendump(contents(model.acousticModel() / "sendump"));
    ASSERT_TRUE(original) << original.error();
    const MixtureWeights& weights = original.value();
    EXPECT_EQ(weights.features, 3);
    EXPECT_EQ(weights.densities, 128);
    EXPECT_GT(weights.senones, 1000);

    const testing::TempFolder temp;
    {
        std::ofstream out(temp.path() / "mixture_weights", std::ios::binary);
        out << mixtureWeights::mixtureWeightsFile(weights);
    }
    const ToolRun text = runTool("/usr/bin/pocketsphinx_mdef_convert",
                                 {"-text", (model.acousticModel() / "mdef").string(), "mdef.txt"},
                                 temp.path(), temp.path() / "mdef.log", 60s);
    ASSERT_TRUE(text.succeeded()) << text.output;
    const ToolRun rebuilt = runTool(fs::path(voiceTraining::trainerFolder) / "mk_s2sendump",
                                    {"-pocketsphinx", "yes", "-moddeffn", "mdef.txt", "-mixwfn",
                                     "mixture_weights", "-sendumpfn", "sendump"},
                                    temp.path(), temp.path() / "sendump.log", 60s);
    ASSERT_TRUE(rebuilt.succeeded()) << rebuilt.output;
    const auto again = mixtureWeights::fromSendump(contents(temp.path() / "sendump"));
    ASSERT_TRUE(again) << again.error();
    ASSERT_EQ(again.value().senones, weights.senones);
    ASSERT_EQ(again.value().weights.size(), weights.weights.size());

    // Weights that matter to the decoder come back exactly. The tool raises the tiniest to
    // its floor and normalises again, which may move a small one by a step (a factor of 1.108).
    for (std::size_t i = 0; i < weights.weights.size(); ++i) {
        if (weights.weights[i] >= 0.002f) {
            ASSERT_EQ(again.value().weights[i], weights.weights[i]) << "weight " << i;
        } else {
            ASSERT_GE(again.value().weights[i], weights.weights[i] / 1.11f) << "weight " << i;
        }
    }
}

TEST(MixtureWeightsTest, RefusesWhatIsNotASendump) {
    EXPECT_FALSE(mixtureWeights::fromSendump(""));
    EXPECT_FALSE(mixtureWeights::fromSendump(std::string(64, '\xff')));
    const SphinxSettings model;
    if (model.modelIsInstalled()) {
        const std::string sendump = contents(model.acousticModel() / "sendump");
        EXPECT_FALSE(mixtureWeights::fromSendump(sendump.substr(0, sendump.size() - 1)));
        EXPECT_FALSE(mixtureWeights::fromSendump(sendump + "x"));
    }
}

TEST(ToolRunTest, ReportsHowTheProgramEnded) {
    const testing::TempFolder temp;
    const ToolRun said = runTool("/bin/sh", {"-c", "echo out; echo err >&2; exit 3"}, temp.path(),
                                 temp.path() / "log", 60s);
    EXPECT_EQ(said.ending, ToolRun::Ending::exited);
    EXPECT_EQ(said.exitCode, 3);
    EXPECT_EQ(said.output, "out\nerr\n");

    // A tool that never ends is killed with what it started.
    const ToolRun endless =
        runTool("/bin/sh", {"-c", "sleep 600 & wait"}, temp.path(), temp.path() / "log", 50ms);
    EXPECT_EQ(endless.ending, ToolRun::Ending::timedOut);
    EXPECT_FALSE(endless.succeeded());

    const ToolRun missing =
        runTool(temp.path() / "no-such-tool", {}, temp.path(), temp.path() / "log", 60s);
    EXPECT_EQ(missing.ending, ToolRun::Ending::failedToStart);
}

// Ten sentences in one synthetic voice, and an eleventh held back for decoding.
class VoiceTrainingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!trainingIsPossible()) {
            return;
        }
        recordings = std::make_unique<testing::TempFolder>();
        for (std::size_t i = 0; i < sentences.size(); ++i) {
            const fs::path spoken = recordings->path() / ("spoken" + std::to_string(i) + ".wav");
            const fs::path wav = recordings->path() / ("prompt" + std::to_string(i) + ".wav");
            run("espeak-ng", {"-v", "en-gb-scotland", "-w", QString::fromStdString(spoken),
                              QString::fromStdString(sentences[i])});
            run("sox", {QString::fromStdString(spoken), "-r", "16000", "-c", "1", "-b", "16",
                        QString::fromStdString(wav)});
            prompts.push_back({wav, sentences[i]});
        }
    }
    static void TearDownTestSuite() {
        prompts.clear();
        recordings.reset();
    }

    void SetUp() override {
        if (!trainingIsPossible()) {
            GTEST_SKIP() << "the model, the trainer's tools, espeak-ng or sox are missing "
                            "(scripts/setup installs them)";
        }
    }

    static void run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    // What the decoder hears in the held-back recording.
    static std::string decoded(SphinxDecoder& decoder) {
        const auto audio = wavFile::read(prompts.back().wav);
        EXPECT_TRUE(audio);
        const auto converter = FormatConverter::create(audio.value().format, speechFormat);
        const auto samples = converter->convert(audio.value());
        EXPECT_TRUE(decoder.startUtterance());
        EXPECT_TRUE(decoder.process(*samples->ints()));
        EXPECT_TRUE(decoder.endUtterance());
        return decoder.hypothesis();
    }

    // How many words of the held-back sentence a reading has, in their places.
    static std::size_t wordsOfHeldBackSentence(const std::string& reading) {
        std::istringstream said(sentences.back());
        std::istringstream heard(reading);
        std::size_t same = 0;
        for (std::string a, b; said >> a && heard >> b;) {
            same += a == b ? 1 : 0;
        }
        return same;
    }

    std::vector<TrainingPrompt> trainingPrompts() const {
        return {prompts.begin(), prompts.end() - 1};
    }

    inline static const std::vector<std::string> sentences{
        "the weather turned cold again this morning",
        "she left her umbrella on the crowded train",
        "please bring the green folder to my office",
        "we walked along the river after dinner",
        "the children played football in the park",
        "my brother bought a new bicycle last week",
        "the kettle is boiling in the kitchen",
        "he reads the newspaper every single day",
        "our neighbours painted their front door blue",
        "a small dog was barking at the postman",
        "the library closes early on saturday",
    };
    inline static std::unique_ptr<testing::TempFolder> recordings;
    inline static std::vector<TrainingPrompt> prompts;

    testing::TempFolder data;
};

TEST_F(VoiceTrainingTest, LearnsTheVoiceAndAsksForTheMisreadPromptAgain) {
    std::vector<TrainingPrompt> training = trainingPrompts();
    training[3].text = "seventeen purple elephants were quietly counting pebbles";
    std::vector<TrainingProgress> steps;
    const TrainingOutcome outcome = voiceTraining::train(
        training, {}, data.path(), [&](const TrainingProgress& p) { steps.push_back(p); });
    ASSERT_TRUE(outcome.trained()) << outcome.failure;
    EXPECT_EQ(outcome.rejected, std::vector<std::size_t>{3});
    ASSERT_FALSE(steps.empty());
    EXPECT_TRUE(std::ranges::is_sorted(steps, {}, &TrainingProgress::fraction));
    EXPECT_EQ(steps.back().fraction, 1.0);

    // Only the profile is left behind, and the decoder takes it.
    const auto profile = voiceProfile::trained(data.path());
    ASSERT_TRUE(profile);
    EXPECT_EQ(std::distance(fs::directory_iterator(data.path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(voiceProfile::check(*profile, SphinxSettings{}.acousticModel()));
    SphinxSettings adapted;
    adapted.voiceProfile = profile;
    const auto decoder = SphinxDecoder::create(adapted);
    ASSERT_TRUE(decoder) << decoder.error();
    EXPECT_EQ(decoder.value()->profileFailure(), "");
    const auto general = SphinxDecoder::create({});
    ASSERT_TRUE(general) << general.error();
    const std::string before = decoded(*general.value());
    const std::string after = decoded(*decoder.value());
    EXPECT_GT(wordsOfHeldBackSentence(after), wordsOfHeldBackSentence(before))
        << "before: " << before << "\nafter: " << after;

    // Training again replaces the profile whole, and leaves nothing else behind.
    const auto meansBefore = contents(*profile / "means");
    training.erase(training.begin() + 3);
    ASSERT_TRUE(voiceTraining::train(training, {}, data.path(), {}).trained());
    EXPECT_NE(contents(*profile / "means"), meansBefore);
    EXPECT_TRUE(voiceProfile::check(*profile, SphinxSettings{}.acousticModel()));
    EXPECT_EQ(std::distance(fs::directory_iterator(data.path()), fs::directory_iterator()), 1);

    ASSERT_TRUE(voiceProfile::forget(data.path()));
    EXPECT_FALSE(voiceProfile::trained(data.path()));
    EXPECT_TRUE(voiceProfile::forget(data.path()));
}

TEST_F(VoiceTrainingTest, WritesNothingWhenTooFewPromptsMatchTheirText) {
    std::vector<TrainingPrompt> training = trainingPrompts();
    training.resize(4);
    // A sentence of about the same length read in place of another still aligns.
    training[0].text = "seventeen purple elephants were quietly counting pebbles";
    training[1].text = "nobody remembered where the spare key had been hidden";
    const TrainingOutcome outcome = voiceTraining::train(training, {}, data.path(), {});
    EXPECT_FALSE(outcome.trained());
    EXPECT_EQ(outcome.rejected, (std::vector<std::size_t>{0, 1}));
    EXPECT_TRUE(fs::is_empty(data.path()));
}

TEST_F(VoiceTrainingTest, ADamagedProfileFallsBackToTheSystemModel) {
    const SphinxSettings system;
    const fs::path profile = voiceProfile::folder(data.path());
    fs::create_directory(profile);
    for (const char* file : voiceProfile::files) {
        fs::copy_file(system.acousticModel() / file, profile / file);
    }
    fs::resize_file(profile / "means", fs::file_size(profile / "means") / 2);

    SphinxSettings settings;
    settings.voiceProfile = voiceProfile::trained(data.path());
    const auto decoder = SphinxDecoder::create(settings);
    ASSERT_TRUE(decoder) << decoder.error();
    EXPECT_NE(decoder.value()->profileFailure().find("means"), std::string::npos)
        << decoder.value()->profileFailure();
    EXPECT_NE(decoded(*decoder.value()), "");
}

} // namespace
} // namespace kelvarn::speech
