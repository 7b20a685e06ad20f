#include "Listen.h"

#include "Kelvarnctl.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/PulseAudioSource.h"
#include "speech/SpeechEngine.h"
#include "speech/VoiceProfile.h"
#include "speech/WavFileSource.h"
#include "support/ControlCharacters.h"

#include <QCoreApplication>
#include <QCoroTimer>
#include <QEventLoop>

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>

namespace kelvarn::ctl {

namespace {

using namespace std::chrono_literals;
using speech::SpeechEngine;
using speech::SpeechState;

volatile std::sig_atomic_t interrupted = 0;

// Whether the command language reads the whole text as commands (names included). The
// recogniser asks on its own thread, so the parser is a copy of its own.
speech::Transcriber::ReadingTest commandReadings(CommandParser parser) {
    return [parser = std::move(parser)](const std::string& text) {
        return parser.readsAsCommands(text);
    };
}

// Ctrl-C ends listening to the microphone cleanly; the previous handlers come back after.
class InterruptGuard final {
public:
    InterruptGuard() {
        interrupted = 0;
        m_int = std::signal(SIGINT, [](int) { interrupted = 1; });
        m_term = std::signal(SIGTERM, [](int) { interrupted = 1; });
    }
    ~InterruptGuard() {
        std::signal(SIGINT, m_int);
        std::signal(SIGTERM, m_term);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*m_int)(int);
    void (*m_term)(int);
};

class Listener final {
public:
    Listener(GradingStore& store, const ListenOptions& options, std::ostream& err)
        : m_store(store), m_options(options), m_err(err),
          m_engine([this] { return source(); }, [this] { return transcriber(); }) {
        m_engine.setOnFinal([this](const QString& text, const speech::Recording&) {
            m_store.handleTranscript(text.toStdString());
        });
        m_engine.preferReadings(commandReadings(m_store.parser()));
        if (m_options.partials) {
            QObject::connect(&m_engine, &SpeechEngine::partialChanged, [this] {
                if (!m_engine.partial().isEmpty()) {
                    m_err << "partial\t" << oneLine(m_engine.partial().toStdString()) << '\n';
                }
            });
        }
    }

    // Each file is one listening run, stopped at its end so its last utterance is finished.
    QCoro::Task<int> hearFiles() {
        for (const std::filesystem::path& file : m_options.files) {
            m_file = file;
            m_ended = false;
            if (const int status = co_await hear(10ms); status != 0) {
                co_return status;
            }
        }
        co_return 0;
    }

    QCoro::Task<int> hearMicrophone() {
        const InterruptGuard guard;
        co_return co_await hear(50ms);
    }

private:
    QCoro::Task<int> hear(std::chrono::milliseconds poll) {
        co_await m_engine.start(m_store.recognizerVocabulary());
        while (m_engine.state() == SpeechState::listening() && !m_ended && interrupted == 0) {
            co_await QCoro::sleepFor(poll);
        }
        co_await m_engine.stop();
        if (m_engine.state().kind == SpeechState::Kind::failed) {
            m_err << m_engine.state().message << '\n';
            co_return exitFailure;
        }
        co_return 0;
    }

    std::unique_ptr<speech::Transcriber> transcriber() {
        speech::SphinxSettings settings;
        if (m_options.commandEndMs) {
            settings.commandEndFrames = *m_options.commandEndMs / 10;
        }
        settings.voiceProfile = speech::voiceProfile::trained(m_options.dataFolder);
        auto created = speech::PocketSphinxTranscriber::create(settings);
        if (created != nullptr) {
            QObject::connect(
                created.get(), &speech::Transcriber::notice,
                [this](const QString& message) { m_err << message.toStdString() << '\n'; });
        }
        return created;
    }

    std::unique_ptr<speech::AudioSource> source() {
        if (m_options.files.empty()) {
            return std::make_unique<speech::PulseAudioSource>();
        }
        const auto pace = m_options.realTime ? speech::WavFileSource::Pace::realTime
                                             : speech::WavFileSource::Pace::asFastAsPossible;
        return std::make_unique<speech::WavFileSource>(m_file, pace, [this] {
            QMetaObject::invokeMethod(
                &m_engine, [this] { m_ended = true; }, Qt::QueuedConnection);
        });
    }

    GradingStore& m_store;
    const ListenOptions& m_options;
    std::ostream& m_err;
    SpeechEngine m_engine;
    std::filesystem::path m_file;
    bool m_ended = false;
};

} // namespace

int listen(GradingStore& store, const ListenOptions& options, std::ostream& err) {
    // The engine waits on Qt's event loop; the command line has none of its own.
    std::optional<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "kelvarnctl";
        static char* argv[] = {name, nullptr};
        application.emplace(argc, argv);
    }
    Listener listener(store, options, err);
    std::optional<int> status;
    QEventLoop loop;
    auto hearing = options.files.empty() ? listener.hearMicrophone() : listener.hearFiles();
    auto finished = std::move(hearing).then([&](int result) {
        status = result;
        loop.quit();
    });
    if (!status) {
        loop.exec();
    }
    return *status;
}

} // namespace kelvarn::ctl
