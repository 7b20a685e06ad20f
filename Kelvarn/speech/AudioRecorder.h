#pragma once

#include "speech/Recording.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

namespace kelvarn::speech {

// Records one take at a time from the sound server's default input, in the recogniser's format,
// on a thread of its own so that a slow or absent server never holds up the window. Main thread
// only.
class AudioRecorder final : public QObject {
    Q_OBJECT

public:
    // A take longer than this ends by itself: a forgotten Stop must not record for ever.
    static constexpr double longestSeconds = 20;

    using QObject::QObject;
    ~AudioRecorder() override;

    bool isRecording() const { return m_recording; }
    // Replaces a take under way, which is then dropped.
    void start();
    // Ends the take; finished follows with what was recorded until now.
    void stop();

Q_SIGNALS:
    // The loudest of the last tenth of a second, 0 to 1.
    void levelChanged(double level);
    // Stopped or at its longest (error empty), or the sound server refused; the recording holds
    // what was captured either way.
    void finished(const speech::Recording& recording, const QString& error);

private:
    void join();
    void run(std::uint64_t take);

    std::thread m_thread;
    std::atomic<bool> m_stopping = false;
    bool m_recording = false;
    // Which take a finish belongs to: one replaced before its thread ended says nothing.
    std::uint64_t m_take = 0;
};

} // namespace kelvarn::speech
