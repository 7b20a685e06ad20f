#pragma once

#include "speech/Recording.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

namespace kelvarn::speech {

// Plays recordings through the sound server's default output, one at a time, on a thread of
// its own so that a slow or absent server never holds up the window. Main thread only.
class AudioPlayer final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~AudioPlayer() override;

    bool isPlaying() const { return m_playing; }
    // Replaces whatever is playing.
    void play(Recording recording);
    // Stops at once; finished follows.
    void stop();

Q_SIGNALS:
    // Played to the end or stopped (error empty), or the sound server refused it.
    void finished(const QString& error);

private:
    void join();
    void run(Recording recording, std::uint64_t playback);

    std::thread m_thread;
    std::atomic<bool> m_stopping = false;
    bool m_playing = false;
    // Which play a finish belongs to: one replaced before its thread ended says nothing.
    std::uint64_t m_playback = 0;
};

} // namespace kelvarn::speech
