// The speech engine's figures through a real sound server: a private PulseAudio daemon with a
// virtual microphone, the real recogniser, the large class's vocabulary.
//   - end of speech → final transcript on the main thread, each WAV's speech played into the
//     microphone and timed from the moment the server has played its last sample;
//   - resident memory while listening;
//   - the recogniser's real-time factor: CPU seconds per second of audio, the files fed as
//     fast as it takes them;
//   - CPU used by an idle process that has an engine, before and after listening.
// Prints figures; asserts nothing.
//   SpeechListeningFigures WAV...   (one utterance each)
#include "EndOfSpeech.h"
#include "LargeClass.h"
#include "PrivateSoundServer.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/PulseAudioSource.h"
#include "speech/SpeechEngine.h"
#include "speech/WavFile.h"
#include "speech/WavFileSource.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <pulse/simple.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <thread>

namespace kelvarn {
namespace {

using namespace speech;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs the event loop for the span without waking it: the idle figure and the recogniser's
// CPU must not include a waiting loop's own work.
void runFor(std::chrono::milliseconds span) {
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds, looking every few milliseconds; false on timeout.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QEventLoop loop;
    QTimer poll;
    const Clock::time_point deadline = Clock::now() + timeout;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || Clock::now() > deadline) {
            loop.quit();
        }
    });
    poll.start(5ms);
    if (!done()) {
        loop.exec();
    }
    return done();
}

bool await(QCoro::Task<void> task, std::chrono::milliseconds timeout) {
    bool finished = false;
    auto then = task.then([&finished] { finished = true; });
    return runUntil([&] { return finished; }, timeout);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A line of /proc/self/status, such as VmRSS, in megabytes.
double statusMegabytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key + ":")) {
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
        }
    }
    return 0;
}

// Share of one core the process used while its event loop idled.
double idleCpu(std::chrono::milliseconds span) {
    const double before = cpuSeconds();
    runFor(span);
    return (cpuSeconds() - before) / std::chrono::duration<double>(span).count();
}

// Plays the speech of the audio (up to its last loud sample) into the virtual microphone;
// returns when the server has played it, or nothing when it could not.
std::optional<Clock::time_point> playSpeech(const AudioBuffer& audio) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE,
                                static_cast<std::uint32_t>(audio.format.sampleRate),
                                static_cast<std::uint8_t>(audio.format.channels)};
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "SpeechListeningFigures", PA_STREAM_PLAYBACK,
                                      "virtual", "utterance", &format, nullptr, nullptr, &error);
    if (stream == nullptr) {
        return std::nullopt;
    }
    const auto frames = static_cast<std::size_t>(bench::endOfSpeech(audio) * format.rate) + 1;
    const std::size_t bytes =
        std::min(frames * format.channels, audio.floats()->size()) * sizeof(float);
    const bool played = pa_simple_write(stream, audio.floats()->data(), bytes, &error) == 0 &&
                        pa_simple_drain(stream, &error) == 0;
    const Clock::time_point end = Clock::now();
    pa_simple_free(stream);
    return played ? std::optional(end) : std::nullopt;
}

template <typename T> T median(std::vector<T> values) {
    std::ranges::sort(values);
    return values[values.size() / 2];
}

// Latency of each file, with the engine listening through the sound server.
int measureLatency(const std::vector<AudioBuffer>& utterances,
                   const std::vector<std::string>& vocabulary) {
    testing::PrivateSoundServer server;
    if (!server.isRunning()) {
        std::cerr << "the private sound server did not start\n";
        return 1;
    }
    SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    std::optional<Clock::time_point> heard;
    engine.setOnFinal([&](const QString&, const speech::Recording&) { heard = Clock::now(); });
    if (!await(engine.start(vocabulary), 30s) || engine.state() != SpeechState::listening()) {
        std::cerr << "listening did not start: " << engine.state().message << '\n';
        return 1;
    }
    std::vector<double> latencies;
    for (const AudioBuffer& audio : utterances) {
        std::optional<Clock::time_point> played;
        std::atomic<bool> done = false;
        heard.reset();
        std::thread player([&] {
            played = playSpeech(audio);
            done = true;
        });
        runUntil([&] { return done.load(); }, 60s);
        player.join();
        // The silence the loopback keeps flowing ends the utterance; a second more keeps the
        // next one apart.
        runUntil([&] { return heard.has_value(); }, 5s);
        runFor(1s);
        if (!played || !heard) {
            std::cerr << (played ? "no final transcript\n" : "could not play into the server\n");
            continue;
        }
        latencies.push_back(std::chrono::duration<double>(*heard - *played).count());
        std::cout << "end of speech → final\t" << latencies.back() << " s\n";
    }
    std::cout << "resident while listening\t" << statusMegabytes("VmRSS") << " MB (peak "
              << statusMegabytes("VmHWM") << " MB)\n";
    await(engine.stop(), 30s);
    if (!latencies.empty()) {
        std::cout << "end of speech → final\tmedian " << median(latencies) << " s over "
                  << latencies.size() << " utterances\n";
    }
    std::cout << "idle after listening\t" << 100 * idleCpu(5s) << " % of a core\n";
    return 0;
}

// CPU seconds the engine spends per second of audio fed as fast as the recogniser takes it.
void measureRealTimeFactor(const std::vector<std::string>& files,
                           const std::vector<AudioBuffer>& utterances,
                           const std::vector<std::string>& vocabulary) {
    double audioSeconds = 0;
    for (const AudioBuffer& audio : utterances) {
        audioSeconds += static_cast<double>(audio.frameCount()) / audio.format.sampleRate;
    }
    double cpu = 0;
    for (const std::string& file : files) {
        std::atomic<bool> ended = false;
        SpeechEngine engine(
            [&] {
                return std::make_unique<WavFileSource>(file, WavFileSource::Pace::asFastAsPossible,
                                                       [&] { ended = true; });
            },
            [] { return PocketSphinxTranscriber::create(); });
        await(engine.start(vocabulary), 30s);
        // Loading the model is not recognising.
        const double started = cpuSeconds();
        runUntil([&] { return ended.load(); }, 60s);
        await(engine.stop(), 60s);
        cpu += cpuSeconds() - started;
    }
    std::cout << "real-time factor\t" << cpu / audioSeconds << " (" << cpu << " s of CPU for "
              << audioSeconds << " s of audio)\n";
}

int measure(const std::vector<std::string>& files) {
    std::vector<AudioBuffer> utterances;
    for (const std::string& file : files) {
        auto audio = wavFile::read(file);
        if (!audio) {
            std::cerr << file << ": " << audio.error() << '\n';
            return 1;
        }
        utterances.push_back(std::move(audio.value()));
    }
    const std::vector<std::string> vocabulary =
        GradingStore(SavedState{bench::largeClass(), {}}).recognizerVocabulary();
    {
        const SpeechEngine engine([] { return std::make_unique<PulseAudioSource>(); },
                                  [] { return PocketSphinxTranscriber::create(); });
        std::cout << "idle with an engine\t" << 100 * idleCpu(5s) << " % of a core\n";
    }
    if (!testing::PrivateSoundServer::isInstalled()) {
        std::cerr << "pulseaudio or paplay is not installed: no latency through a server\n";
    } else if (const int status = measureLatency(utterances, vocabulary); status != 0) {
        return status;
    }
    measureRealTimeFactor(files, utterances, vocabulary);
    return 0;
}

} // namespace
} // namespace kelvarn

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return kelvarn::measure({argv + 1, argv + argc});
}
