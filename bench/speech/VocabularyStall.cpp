// How a vocabulary update treats the main thread while the real recogniser listens: the time
// spent in the store's recognizerVocabulary and the engine's updateVocabulary, and the longest
// gap between ticks of a 1 ms timer while the recogniser rebuilds its model. The large class's
// roster; each update adds a new name, so every one is a real rebuild. Prints figures; asserts
// nothing. Run: build/release/bench/SpeechVocabularyStall
#include "LargeClass.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/SpeechEngine.h"

#include <QCoreApplication>
#include <QCoroTimer>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <iostream>
#include <thread>

namespace kelvarn {
namespace {

using namespace speech;
using namespace std::chrono_literals;

// A quiet microphone: 16 kHz silence in 4096-frame buffers at the pace of live audio.
class SilenceSource final : public AudioSource {
public:
    ~SilenceSource() override { stop(); }
    MicrophoneAccess access() const override { return MicrophoneAccess::authorized; }
    QCoro::Task<bool> requestAccess() override { co_return true; }
    AudioFormat captureFormat() const override { return {16000, 1, SampleType::float32}; }
    Result<void> start(BufferHandler handler, FailureHandler) override {
        m_player = std::thread([this, handler = std::move(handler)] {
            const AudioBuffer silence{captureFormat(), std::vector<float>(4096)};
            auto next = std::chrono::steady_clock::now();
            while (!m_stopping) {
                handler(silence);
                next += 256ms;
                std::this_thread::sleep_until(next);
            }
        });
        return {};
    }
    void stop() override {
        m_stopping = true;
        if (m_player.joinable()) {
            m_player.join();
        }
    }

private:
    std::atomic<bool> m_stopping = false;
    std::thread m_player;
};

// The longest gap between ticks of a 1 ms timer while the event loop runs for `span`.
QCoro::Task<double> longestGap(std::chrono::milliseconds span) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start(1);
    co_await QCoro::sleepFor(span);
    co_return static_cast<double>(longest) / 1e6;
}

QCoro::Task<int> measure() {
    GradingStore store(SavedState{bench::largeClass(), {}});
    SpeechEngine engine([] { return std::make_unique<SilenceSource>(); },
                        [] { return PocketSphinxTranscriber::create(); });
    co_await engine.start(store.recognizerVocabulary());
    if (engine.state() != SpeechState::listening()) {
        std::cerr << "the recogniser did not start: " << engine.state().message << '\n';
        co_return 1;
    }
    std::cout << "vocabulary\t" << store.recognizerVocabulary().size() << " strings\n";
    // As long as the updates below take, for what the machine alone causes.
    std::cout << "quiet\tlongest gap " << co_await longestGap(8s) << " ms\n";

    static constexpr auto names = std::to_array<const char*>(
        {"Zofia Kowalczyk", "Tariq Nasser", "Yuki Hoshino", "Bruno Carvalho", "Amara Okafor",
         "Freya Lindqvist", "Dmitri Volkov", "Leilani Kahale", "Rohan Iyer", "Ines Moreau"});
    std::vector<double> calls;
    double longest = 0;
    for (const char* name : names) {
        QElapsedTimer call;
        call.start();
        std::vector<std::string> vocabulary = store.recognizerVocabulary();
        vocabulary.emplace_back(name);
        auto updating = engine.updateVocabulary(std::move(vocabulary));
        calls.push_back(static_cast<double>(call.nsecsElapsed()) / 1e6);
        // A rebuild takes a few hundred milliseconds on the recogniser's thread.
        longest = std::max(longest, co_await longestGap(800ms));
        co_await std::move(updating);
    }
    std::ranges::sort(calls);
    std::cout << "update call\tmedian " << calls[calls.size() / 2] << " ms, longest "
              << calls.back() << " ms over " << calls.size() << " updates\n";
    std::cout << "while rebuilding\tlongest gap " << longest << " ms\n";
    co_await engine.stop();
    co_return 0;
}

} // namespace
} // namespace kelvarn

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int status = 0;
    auto done = kelvarn::measure().then([&](int result) {
        status = result;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return status;
}
