#include "PrivateSoundServer.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/PulseAudioSource.h"
#include "speech/SpeechEngine.h"
#include "speech/SpeechMessages.h"
#include "support/EventLoop.h"
#include "support/StoreHarness.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn::speech {
namespace {

using testing::await;
using testing::runUntil;
using namespace std::chrono_literals;

TEST(SoundServerTest, WithoutASoundServerItSaysSoAndWhatToStart) {
    const QByteArray previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/kelvarn/native");
    SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    ASSERT_TRUE(await(engine.start({}), 20s));
    EXPECT_EQ(engine.state(), SpeechState::failed(messages::noSoundServer));
    if (previous.isNull()) {
        qunsetenv("PULSE_SERVER");
    } else {
        qputenv("PULSE_SERVER", previous);
    }
}

TEST(SoundServerTest, HearsWhatIsPlayedIntoTheMicrophone) {
    if (!testing::PrivateSoundServer::isInstalled()) {
        GTEST_SKIP() << "pulseaudio or paplay is not installed (scripts/setup installs them)";
    }
    if (QStandardPaths::findExecutable("flite").isEmpty() || !SphinxSettings{}.modelIsInstalled()) {
        GTEST_SKIP() << "flite or the PocketSphinx model is missing (scripts/setup installs them)";
    }
    testing::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning()) << "the private sound server did not start";

    testing::TempFolder temp;
    const std::string wav = (temp.path() / "said.wav").string();
    QProcess flite;
    flite.start("flite", {"-voice", "slt", "-t", "omar haddad intro complete", "-o",
                          QString::fromStdString(wav)});
    ASSERT_TRUE(flite.waitForFinished(20000));

    testing::StoreHarness harness({"Nadia Ford", "Omar Haddad"});
    SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    std::vector<QString> finals;
    float loudest = 0;
    engine.setOnFinal([&](const QString& text) { finals.push_back(text); });
    QObject::connect(&engine, &SpeechEngine::levelChanged,
                     [&] { loudest = std::max(loudest, engine.level()); });

    ASSERT_TRUE(await(engine.start(harness.store.recognizerVocabulary()), 20s));
    ASSERT_EQ(engine.state(), SpeechState::listening()) << engine.state().message;
    QProcess player;
    player.start("paplay", {"--device=virtual", QString::fromStdString(wav)});
    ASSERT_TRUE(runUntil([&] { return !finals.empty(); }, 20s)) << server.log();
    EXPECT_EQ(finals.front(), "omar haddad intro complete");
    EXPECT_GT(loudest, 0.0f) << "the meter moved";
    ASSERT_TRUE(await(engine.stop(), 20s));
    EXPECT_EQ(engine.state(), SpeechState::off());
    EXPECT_EQ(engine.level(), 0.0f);
    player.waitForFinished(10000);
}

// The sound server is killed while capturing, then another one starts: the header says the
// microphone went away, and listening comes back on its own.
TEST(SoundServerTest, ListeningComesBackAfterTheSoundServerRestarts) {
    if (!testing::PrivateSoundServer::isInstalled()) {
        GTEST_SKIP() << "pulseaudio or paplay is not installed (scripts/setup installs them)";
    }
    if (!SphinxSettings{}.modelIsInstalled()) {
        GTEST_SKIP() << "the PocketSphinx model is missing (scripts/setup installs it)";
    }
    auto server = std::make_unique<testing::PrivateSoundServer>();
    ASSERT_TRUE(server->isRunning()) << "the private sound server did not start";
    SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    engine.setMicrophoneRetryInterval(50ms);
    int returned = 0;
    QObject::connect(&engine, &SpeechEngine::microphoneReturned, [&] { ++returned; });
    ASSERT_TRUE(await(engine.start({"omar", "haddad"}), 20s));
    ASSERT_EQ(engine.state(), SpeechState::listening()) << engine.state().message;

    server->kill();
    ASSERT_TRUE(runUntil([&] { return engine.state().kind == SpeechState::Kind::failed; }, 20s));
    EXPECT_EQ(engine.state(), SpeechState::failed(messages::microphoneLost));

    server.reset();
    server = std::make_unique<testing::PrivateSoundServer>();
    ASSERT_TRUE(server->isRunning());
    ASSERT_TRUE(runUntil([&] { return engine.state() == SpeechState::listening(); }, 30s))
        << engine.state().message;
    EXPECT_EQ(returned, 1);
    ASSERT_TRUE(await(engine.stop(), 20s));
}

} // namespace
} // namespace kelvarn::speech
