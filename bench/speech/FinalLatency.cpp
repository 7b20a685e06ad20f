// Measures end of speech → final transcript on the main thread, with the real recogniser and
// each WAV played at the pace of live audio in 4096-frame buffers, as a capture device would,
// heard as the application hears it: the class's vocabulary and its command language (the
// class of bench/speech/roster.txt unless another roster is given).
//   FinalLatency [--roster FILE] [--command-end-ms N] WAV...   (each one utterance, then a
//   second of silence)
#include "EndOfSpeech.h"
#include "engine/GradingStore.h"
#include "persistence/Roster.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/SpeechEngine.h"
#include "speech/WavFile.h"
#include "speech/WavFileSource.h"

#include <QCoreApplication>
#include <QCoroTimer>

#include <optional>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>

namespace {

using namespace kelvarn::speech;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Stamps the moment the first buffer arrives: the start of the played audio.
class StampedSource final : public AudioSource {
public:
    StampedSource(std::unique_ptr<AudioSource> inner, std::atomic<Clock::rep>* started)
        : m_inner(std::move(inner)), m_started(started) {}
    MicrophoneAccess access() const override { return m_inner->access(); }
    QCoro::Task<bool> requestAccess() override { return m_inner->requestAccess(); }
    AudioFormat captureFormat() const override { return m_inner->captureFormat(); }
    kelvarn::Result<void> start(BufferHandler handler, FailureHandler failed) override {
        return m_inner->start(
            [this, handler](const AudioBuffer& buffer) {
                Clock::rep none = 0;
                m_started->compare_exchange_strong(none, Clock::now().time_since_epoch().count());
                handler(buffer);
            },
            std::move(failed));
    }
    void stop() override { m_inner->stop(); }

private:
    std::unique_ptr<AudioSource> m_inner;
    std::atomic<Clock::rep>* m_started;
};

QCoro::Task<int> measure(const std::vector<std::string>& files, const std::string& rosterFile,
                         SphinxSettings settings) {
    const auto roster = kelvarn::roster::readFile(rosterFile);
    if (!roster) {
        std::cerr << roster.error() << '\n';
        co_return 1;
    }
    kelvarn::GradingStore store(kelvarn::SavedState{});
    store.loadRoster(roster.value());
    const std::vector<std::string> vocabulary = store.recognizerVocabulary();
    std::vector<double> latencies;
    for (const std::string& file : files) {
        const auto audio = wavFile::read(file);
        if (!audio) {
            std::cerr << audio.error() << '\n';
            co_return 1;
        }
        std::atomic<Clock::rep> started = 0;
        std::atomic<bool> ended = false;
        std::optional<Clock::time_point> heard;
        SpeechEngine engine(
            [&] {
                return std::make_unique<StampedSource>(
                    std::make_unique<WavFileSource>(file, WavFileSource::Pace::realTime,
                                                    [&] { ended = true; }),
                    &started);
            },
            [&] { return PocketSphinxTranscriber::create(settings); });
        engine.preferReadings([parser = store.parser()](const std::string& text) {
            return parser.readsAsCommands(text);
        });
        engine.setOnFinal([&](const QString&, const Recording&) {
            if (!heard) {
                heard = Clock::now();
            }
        });
        co_await engine.start(vocabulary);
        while (!ended && engine.isRunning()) {
            co_await QCoro::sleepFor(5ms);
        }
        co_await engine.stop();
        if (!heard || started == 0) {
            std::cerr << file << ": no final before the end of the file\n";
            continue;
        }
        // A device hands over a buffer when it is full; the file source hands it over when its
        // time begins, one buffer earlier.
        const double buffer = 4096.0 / audio.value().format.sampleRate;
        const Clock::time_point start{Clock::duration{started.load()}};
        const double latency = std::chrono::duration<double>(*heard - start).count() + buffer -
                               kelvarn::bench::endOfSpeech(audio.value());
        latencies.push_back(latency);
        std::cout << file << '\t' << latency << " s\n";
    }
    if (!latencies.empty()) {
        std::ranges::sort(latencies);
        std::cout << "median\t" << latencies[latencies.size() / 2] << " s over " << latencies.size()
                  << " utterances\n";
    }
    co_return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::vector<std::string> files(argv + 1, argv + argc);
    SphinxSettings settings;
    std::string roster = KELVARN_BENCH_ROSTER;
    while (files.size() >= 2 && files.front().starts_with("--")) {
        if (files.front() == "--command-end-ms") {
            settings.commandEndFrames = std::stoi(files[1]) / 10;
        } else {
            roster = files[1];
        }
        files.erase(files.begin(), files.begin() + 2);
    }
    int status = 0;
    auto done = measure(files, roster, settings).then([&](int result) {
        status = result;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return status;
}
