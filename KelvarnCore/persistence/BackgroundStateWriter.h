#pragma once

#include "persistence/DataFolderStorage.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kelvarn {

// A data folder whose saved state is written on a thread of its own, so that a keystroke never
// waits for the disk. Only the newest state handed over is written; older pending ones are
// dropped. While changes keep coming, writes are spaced at least minimumSpacing apart, and at
// least ten times the last write's duration, so that even a very large class never keeps the
// disk busy more than a tenth of the time. The rules and the log are written at once, on the
// calling thread, as by DataFolderStorage.
//
// Owned by one thread (the store's); only the hand-over between it and the writing thread is
// shared. Flushes on destruction.
class BackgroundStateWriter final : public StoreStorage {
public:
    static constexpr std::chrono::milliseconds minimumSpacing{500};
    static constexpr int durationFactor = 10;

    // The time the writes are spaced by; injected so that tests move it by hand.
    using MonotonicClock = std::function<std::chrono::steady_clock::time_point()>;

    // onFailure, when given, is called on the writing thread after a failure is queued, and
    // after the first write that succeeds again, so that an application can ask its owner
    // thread to collect them (takeWriteFailures, takeRecovery).
    explicit BackgroundStateWriter(std::filesystem::path folder,
                                   std::function<void()> onFailure = {},
                                   MonotonicClock now = std::chrono::steady_clock::now);
    ~BackgroundStateWriter() override;
    BackgroundStateWriter(const BackgroundStateWriter&) = delete;
    BackgroundStateWriter& operator=(const BackgroundStateWriter&) = delete;

    Result<std::optional<std::string>> read(File file) override { return m_files.read(file); }
    Result<std::string> setAside(File file, TimePoint now) override {
        return m_files.setAside(file, now);
    }
    void writeState(SavedStateSnapshot snapshot) override;
    Result<void> writeRules(std::string_view text) override { return m_files.writeRules(text); }
    void appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) override {
        m_files.appendLog(date, kind, text);
    }
    std::vector<LoggedEntry> recentLog(std::size_t count) override {
        return m_files.recentLog(count);
    }
    void flush() override;
    std::vector<Error> takeWriteFailures() override;
    bool takeRecovery() override;

    // For a clock moved by hand, which does not wake the writing thread: has it read the clock
    // again and returns once it has written what is due by then, or gone back to waiting.
    void catchUp();

private:
    using SteadyClock = std::chrono::steady_clock;

    void run();

    DataFolderStorage m_files;
    std::function<void()> m_onFailure;
    MonotonicClock m_now;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<SavedStateSnapshot> m_pending;
    bool m_writing = false;
    bool m_flushing = false;
    bool m_stopping = false;
    SteadyClock::time_point m_nextWrite{};
    // catchUp calls made, and how many of them the writing thread had seen at its last look
    // at the clock.
    int m_catchUps = 0;
    int m_catchUpsSeen = 0;
    std::vector<Error> m_failures;
    bool m_failing = false;
    bool m_recovered = false;
    std::thread m_thread; // last: started once everything above exists
};

} // namespace kelvarn
