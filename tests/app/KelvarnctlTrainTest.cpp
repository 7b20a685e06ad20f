#include "speech/SphinxDecoder.h"
#include "speech/VoiceProfile.h"
#include "support/KelvarnctlRun.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;

class KelvarnctlTrainTest : public ::testing::Test {
protected:
    testing::KelvarnctlOutcome run(std::vector<std::string> args) {
        return testing::runKelvarnctl(data().string(), std::move(args));
    }
    fs::path data() const { return temp.path() / "data"; }

    testing::TempFolder temp;
};

TEST_F(KelvarnctlTrainTest, NeedsATextForEachRecordingOrForget) {
    EXPECT_EQ(run({"train"}).status, ctl::exitUsage);
    EXPECT_EQ(run({"train", "--file", "a.wav"}).status, ctl::exitUsage);
    EXPECT_EQ(run({"train", "--file", "a.wav", "--text", "a", "--text", "b"}).status,
              ctl::exitUsage);
    EXPECT_EQ(run({"train", "--forget", "--file", "a.wav", "--text", "a"}).status, ctl::exitUsage);

    const auto missing = run({"train", "--file", (temp.path() / "none.wav").string(), "--text",
                              "the weather turned cold"});
    EXPECT_EQ(missing.status, ctl::exitFailure);
    EXPECT_NE(missing.err.find("none.wav"), std::string::npos) << missing.err;
    EXPECT_FALSE(speech::voiceProfile::trained(data()));
}

TEST_F(KelvarnctlTrainTest, ForgetRemovesTheProfile) {
    ASSERT_EQ(run({"status"}).status, 0);
    fs::create_directory(speech::voiceProfile::folder(data()));
    std::ofstream(speech::voiceProfile::folder(data()) / "means") << "x";

    const auto forgotten = run({"train", "--forget"});
    EXPECT_EQ(forgotten.status, 0) << forgotten.err;
    EXPECT_FALSE(speech::voiceProfile::trained(data()));
    EXPECT_EQ(run({"train", "--forget"}).status, 0);
}

TEST_F(KelvarnctlTrainTest, ListeningWithADamagedProfileSaysSoAndHearsAnyway) {
    if (QStandardPaths::findExecutable("flite").isEmpty() ||
        !speech::SphinxSettings{}.modelIsInstalled()) {
        GTEST_SKIP() << "flite or the PocketSphinx model is missing (scripts/setup installs them)";
    }
    ASSERT_EQ(run({"status"}).status, 0);
    fs::create_directory(speech::voiceProfile::folder(data()));
    const auto wav = (temp.path() / "a.wav").string();
    QProcess flite;
    flite.start("flite", {"-voice", "slt", "-t", "hello there", "-o", QString::fromStdString(wav)});
    ASSERT_TRUE(flite.waitForFinished(20000));

    const auto heard = run({"listen", "--file", wav});
    EXPECT_EQ(heard.status, 0) << heard.err;
    EXPECT_NE(heard.err.find("Listening with the general model"), std::string::npos) << heard.err;
    EXPECT_NE(heard.out.find("heard\t"), std::string::npos) << heard.out;
}

} // namespace
} // namespace kelvarn
