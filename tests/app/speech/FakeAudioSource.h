#pragma once

#include "Gate.h"
#include "speech/AudioSource.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelvarn::testing {

// What the fake sources of one test do, and what happened to them.
struct FakeAudioScript {
    speech::MicrophoneAccess access = speech::MicrophoneAccess::authorized;
    bool grant = true;
    Gate accessGate;
    speech::AudioFormat format{48000, 1, speech::SampleType::float32};
    std::optional<std::string> startError;

    std::vector<std::string>* calls = nullptr;
    int created = 0;
    int running = 0;
    speech::AudioSource::BufferHandler handler;
    speech::AudioSource::FailureHandler failed;
    std::string refusal = speech::messages::microphoneDenied;

    // Delivers a buffer as the audio thread would, while a capture runs.
    void deliver(const speech::AudioBuffer& buffer) const {
        if (handler) {
            handler(buffer);
        }
    }
    // The microphone goes away, as the capture thread would say it.
    void lose() {
        if (const auto report = std::exchange(failed, nullptr)) {
            report();
        }
    }
};

class FakeAudioSource final : public speech::AudioSource {
public:
    explicit FakeAudioSource(std::shared_ptr<FakeAudioScript> script)
        : m_script(std::move(script)) {
        ++m_script->created;
    }
    ~FakeAudioSource() override { stop(); }

    speech::MicrophoneAccess access() const override { return m_script->access; }
    QCoro::Task<bool> requestAccess() override {
        log("requestAccess");
        const auto script = m_script;
        co_await script->accessGate.pass();
        co_return script->grant;
    }
    std::string refusal() const override { return m_script->refusal; }
    speech::AudioFormat captureFormat() const override { return m_script->format; }
    Result<void> start(BufferHandler handler, FailureHandler failed) override {
        log("startCapture");
        if (m_script->startError) {
            return Error{*m_script->startError};
        }
        m_script->handler = std::move(handler);
        m_script->failed = std::move(failed);
        m_running = true;
        ++m_script->running;
        return {};
    }
    void stop() override {
        if (m_running) {
            log("stopCapture");
            m_running = false;
            --m_script->running;
            m_script->handler = nullptr;
            m_script->failed = nullptr;
        }
    }

private:
    void log(const std::string& call) const {
        if (m_script->calls != nullptr) {
            m_script->calls->push_back(call);
        }
    }

    std::shared_ptr<FakeAudioScript> m_script;
    bool m_running = false;
};

} // namespace kelvarn::testing
