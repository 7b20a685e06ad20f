#include "speech/PulseAudioSource.h"

#include <QCoroFuture>
#include <QFuture>
#include <QPromise>

#include <pulse/pulseaudio.h>

#include <cstring>
#include <utility>

namespace kelvarn::speech {

namespace {

constexpr std::size_t framesPerBuffer = 4096;

// Runs under the main loop's lock; waits for a state change signalled by the callbacks.
template <typename Done> void waitUntil(pa_threaded_mainloop* loop, Done done) {
    while (!done()) {
        pa_threaded_mainloop_wait(loop);
    }
}

void signalLoop(void* loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

bool contextSettled(pa_context* context) {
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

bool streamSettled(pa_stream* stream) {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
}

} // namespace

PulseAudioSource::PulseAudioSource() = default;

PulseAudioSource::~PulseAudioSource() {
    if (m_connecting.joinable()) {
        m_connecting.join();
    }
    stop();
    disconnect();
}

MicrophoneAccess PulseAudioSource::access() const {
    return m_connected ? MicrophoneAccess::authorized : MicrophoneAccess::notDetermined;
}

// Connecting can take as long as the server does, so it waits on a thread of its own.
QCoro::Task<bool> PulseAudioSource::requestAccess() {
    if (m_connected || m_connecting.joinable()) {
        co_return m_connected;
    }
    QPromise<bool> promise;
    QFuture<bool> answer = promise.future();
    promise.start();
    m_connecting = std::thread([this, promise = std::move(promise)]() mutable {
        promise.addResult(connect() && readDefaultSource());
        promise.finish();
    });
    const bool granted = co_await answer;
    m_connecting.join();
    m_connected = granted;
    if (!granted) {
        disconnect();
    }
    co_return granted;
}

std::string PulseAudioSource::refusal() const {
    return m_reachedServer ? messages::noInputSource : messages::noSoundServer;
}

bool PulseAudioSource::connect() {
    m_loop = pa_threaded_mainloop_new();
    if (m_loop == nullptr) {
        return false;
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Kelvarn");
    if (m_context == nullptr) {
        return false;
    }
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* loop) { signalLoop(loop); }, m_loop);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(m_loop) < 0) {
        return false;
    }
    pa_threaded_mainloop_lock(m_loop);
    waitUntil(m_loop, [this] { return contextSettled(m_context); });
    const bool ready = pa_context_get_state(m_context) == PA_CONTEXT_READY;
    pa_threaded_mainloop_unlock(m_loop);
    m_reachedServer = ready;
    return ready;
}

// The default source's rate and channel count become the capture format.
bool PulseAudioSource::readDefaultSource() {
    struct Query {
        PulseAudioSource* self;
        bool done = false;
        bool found = false;
    } query{this};

    pa_threaded_mainloop_lock(m_loop);
    pa_operation* serverInfo = pa_context_get_server_info(
        m_context,
        [](pa_context*, const pa_server_info* info, void* data) {
            auto* q = static_cast<Query*>(data);
            if (info != nullptr && info->default_source_name != nullptr) {
                q->self->m_sourceName = info->default_source_name;
            }
            q->done = true;
            signalLoop(q->self->m_loop);
        },
        &query);
    if (serverInfo != nullptr) {
        waitUntil(m_loop, [&] { return query.done; });
        pa_operation_unref(serverInfo);
    }
    query.done = false;
    pa_operation* sourceInfo =
        m_sourceName.empty()
            ? nullptr
            : pa_context_get_source_info_by_name(
                  m_context, m_sourceName.c_str(),
                  [](pa_context*, const pa_source_info* info, int eol, void* data) {
                      auto* q = static_cast<Query*>(data);
                      if (info != nullptr && eol == 0) {
                          q->self->m_format = {static_cast<double>(info->sample_spec.rate),
                                               info->sample_spec.channels, SampleType::float32};
                          q->found = true;
                      }
                      if (eol != 0) {
                          q->done = true;
                          signalLoop(q->self->m_loop);
                      }
                  },
                  &query);
    if (sourceInfo != nullptr) {
        waitUntil(m_loop, [&] { return query.done; });
        pa_operation_unref(sourceInfo);
    }
    pa_threaded_mainloop_unlock(m_loop);
    return query.found && m_format.channels > 0 && m_format.sampleRate > 0;
}

Result<void> PulseAudioSource::start(BufferHandler handler, FailureHandler failed) {
    if (!m_connected) {
        return Error{"Not connected to the sound server."};
    }
    if (m_stream != nullptr) {
        return Error{"Already capturing."};
    }
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE,
                                      static_cast<std::uint32_t>(m_format.sampleRate),
                                      static_cast<std::uint8_t>(m_format.channels)};
    const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(m_format.channels);
    // Asks for 4096-frame fragments; servers deliver smaller chunks anyway, so they are
    // regrouped on arrival.
    pa_buffer_attr attributes{};
    std::memset(&attributes, 0xff, sizeof attributes);
    attributes.fragsize = static_cast<std::uint32_t>(framesPerBuffer * frameBytes);

    pa_threaded_mainloop_lock(m_loop);
    m_stream = pa_stream_new(m_context, "Kelvarn speech input", &sampleFormat, nullptr);
    if (m_stream == nullptr) {
        const std::string reason = pa_strerror(pa_context_errno(m_context));
        pa_threaded_mainloop_unlock(m_loop);
        return Error{"Couldn't capture from the microphone: " + reason};
    }
    m_handler = std::move(handler);
    m_pending.clear();
    pa_stream_set_state_callback(
        m_stream,
        [](pa_stream*, void* self) { static_cast<PulseAudioSource*>(self)->onStreamState(); },
        this);
    pa_stream_set_read_callback(
        m_stream,
        [](pa_stream*, std::size_t bytes, void* self) {
            static_cast<PulseAudioSource*>(self)->onReadable(bytes);
        },
        this);
    const bool connected = pa_stream_connect_record(m_stream, m_sourceName.c_str(), &attributes,
                                                    PA_STREAM_ADJUST_LATENCY) >= 0;
    if (connected) {
        waitUntil(m_loop, [this] { return streamSettled(m_stream); });
    }
    const bool ready = connected && pa_stream_get_state(m_stream) == PA_STREAM_READY;
    const std::string reason = ready ? "" : pa_strerror(pa_context_errno(m_context));
    // Only a stream that was capturing can be lost.
    if (ready) {
        m_failed = std::move(failed);
    }
    pa_threaded_mainloop_unlock(m_loop);
    if (!ready) {
        stop();
        return Error{"Couldn't capture from the microphone: " + reason};
    }
    return {};
}

// Holding the loop's lock keeps the read callback out while the stream goes.
void PulseAudioSource::stop() {
    if (m_loop == nullptr || m_stream == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(m_loop);
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_handler = nullptr;
    m_failed = nullptr;
    m_pending.clear();
    pa_threaded_mainloop_unlock(m_loop);
}

void PulseAudioSource::disconnect() {
    if (m_loop != nullptr) {
        pa_threaded_mainloop_stop(m_loop);
    }
    if (m_context != nullptr) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_loop != nullptr) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
    m_connected = false;
}

// On the server's thread, under its lock. A server that goes away, or a source that is
// removed, fails or ends the stream; either way nothing more will come.
void PulseAudioSource::onStreamState() {
    pa_threaded_mainloop_signal(m_loop, 0);
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        if (const FailureHandler failed = std::exchange(m_failed, nullptr)) {
            failed();
        }
    }
}

// On the server's thread, under its lock.
void PulseAudioSource::onReadable(std::size_t) {
    const auto channels = static_cast<std::size_t>(m_format.channels);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(m_stream) > 0 && pa_stream_peek(m_stream, &data, &bytes) >= 0 &&
           bytes > 0) {
        const std::size_t samples = bytes / sizeof(float);
        if (data != nullptr) {
            const auto* first = static_cast<const float*>(data);
            m_pending.insert(m_pending.end(), first, first + samples);
        } else {
            // A hole in the stream: silence of that length.
            m_pending.insert(m_pending.end(), samples, 0.0f);
        }
        pa_stream_drop(m_stream);
        const std::size_t whole = framesPerBuffer * channels;
        while (m_pending.size() >= whole) {
            AudioBuffer buffer{
                m_format,
                std::vector<float>(m_pending.begin(),
                                   m_pending.begin() + static_cast<std::ptrdiff_t>(whole))};
            m_pending.erase(m_pending.begin(),
                            m_pending.begin() + static_cast<std::ptrdiff_t>(whole));
            if (m_handler) {
                m_handler(buffer);
            }
        }
    }
}

} // namespace kelvarn::speech
