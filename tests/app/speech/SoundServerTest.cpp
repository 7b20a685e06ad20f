#include "PrivateSoundServer.h"
#include "speech/AudioPlayer.h"
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

// Why speech cannot be played into a private sound server and recognised here; empty when it
// can.
std::string missingForSpeaking() {
    if (!testing::PrivateSoundServer::isInstalled()) {
        return "pulseaudio or paplay is not installed (scripts/setup installs them)";
    }
    if (QStandardPaths::findExecutable("flite").isEmpty() || !SphinxSettings{}.modelIsInstalled()) {
        return "flite or the PocketSphinx model is missing (scripts/setup installs them)";
    }
    return {};
}

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
    if (const std::string missing = missingForSpeaking(); !missing.empty()) {
        GTEST_SKIP() << missing;
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
    engine.setOnFinal(
        [&](const QString& text, const speech::Recording&) { finals.push_back(text); });
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

// What was heard is kept and can be played back; while it plays, the recogniser hears silence
// instead of the loudspeaker (here the virtual microphone hears the output directly), and once
// it is done it hears the user again.
TEST(SoundServerTest, PlaysBackWhatWasHeardWithoutHearingItAgain) {
    if (const std::string missing = missingForSpeaking(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    testing::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning()) << "the private sound server did not start";
    testing::TempFolder temp;
    const auto playIntoMicrophone = [&](const QString& words) {
        const QString wav = QString::fromStdString((temp.path() / "said.wav").string());
        QProcess flite;
        flite.start("flite", {"-voice", "slt", "-t", words, "-o", wav});
        // A second of silence first: the end of a playback is not heard for a moment.
        QProcess sox;
        if (flite.waitForFinished(20000)) {
            sox.start("sox", {wav, wav + ".padded.wav", "pad", "1", "0"});
        }
        QProcess paplay;
        if (sox.waitForFinished(20000)) {
            paplay.start("paplay", {"--device=virtual", wav + ".padded.wav"});
        }
        return paplay.waitForFinished(20000) && paplay.exitCode() == 0;
    };

    SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    std::vector<QString> finals;
    std::vector<Recording> recordings;
    engine.setOnFinal([&](const QString& text, const Recording& recording) {
        finals.push_back(text);
        recordings.push_back(recording);
    });
    ASSERT_TRUE(await(engine.start({"next", "previous", "student"}), 20s));
    ASSERT_EQ(engine.state(), SpeechState::listening()) << engine.state().message;
    ASSERT_TRUE(playIntoMicrophone("next student"));
    ASSERT_TRUE(runUntil([&] { return finals.size() == 1; }, 20s)) << server.log();
    ASSERT_NE(recordings.front(), nullptr);
    // The words, a moment before them and the silence that ended them: not the whole wait.
    const double seconds = static_cast<double>(recordings.front()->size()) / 16000;
    EXPECT_GT(seconds, 0.6);
    EXPECT_LT(seconds, 2.5);

    AudioPlayer player;
    QString error = "not finished";
    float loudest = 0;
    QObject::connect(&player, &AudioPlayer::finished, [&](const QString& e) { error = e; });
    QObject::connect(&engine, &SpeechEngine::levelChanged,
                     [&] { loudest = std::max(loudest, engine.level()); });
    engine.setMuted(true);
    player.play(recordings.front());
    EXPECT_TRUE(player.isPlaying());
    ASSERT_TRUE(runUntil([&] { return error != "not finished"; }, 20s));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(player.isPlaying());
    EXPECT_GT(loudest, 0.0f) << "the playback reached the microphone";
    engine.setMuted(false);

    // Heard in order: had the playback been heard, its utterance would come first.
    ASSERT_TRUE(playIntoMicrophone("previous student"));
    ASSERT_TRUE(runUntil([&] { return finals.size() >= 2; }, 20s)) << server.log();
    EXPECT_EQ(finals, (std::vector<QString>{"next student", "previous student"}));
    ASSERT_TRUE(await(engine.stop(), 20s));

    // Stopping ends a playback at once, and says so as a normal end.
    error = "not finished";
    player.play(recordings.front());
    player.stop();
    ASSERT_TRUE(runUntil([&] { return error != "not finished"; }, 20s));
    EXPECT_EQ(error, "");
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
