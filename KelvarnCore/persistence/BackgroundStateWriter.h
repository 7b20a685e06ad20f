#pragma once

#include "persistence/DataFolderStorage.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kelvarn {

// A data folder whose waiting for the disk happens on a thread of its own, so that a keystroke
// never waits for it. Each change is appended to the journal on the calling thread before
// writeState returns, so a crash of the process never loses it; the writing thread has it on the
// disk within compaction::syncSpacing (once per spacing while changes keep coming), and rewrites
// session.json when the journal has grown large, after a pause once the changes since the last
// rewrite have paid for it, and at compact and destruction. Rewrites are spaced at least
// minimumSpacing apart, and at least ten times the last one's duration, so that even a very large
// class never keeps the disk busy more than a tenth of the time. The rules and the log are
// written at once, on the calling thread, as by DataFolderStorage.
//
// Owned by one thread (the store's); only the hand-over between it and the writing thread is
// shared. Compacts on destruction.
class BackgroundStateWriter final : public StoreStorage {
public:
    static constexpr std::chrono::milliseconds minimumSpacing{500};
    static constexpr int durationFactor = 10;

    // The time syncs and rewrites are timed by; injected so that tests move it by hand.
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
    JournalRecovery recover(SavedState& state, TimePoint now) override;
    void startFrom(const SavedStateSnapshot& state) override;
    void writeState(SavedStateSnapshot snapshot) override;
    Result<void> writeFile(File file, std::string_view text) override {
        return m_files.writeFile(file, text);
    }
    void appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) override {
        m_files.appendLog(date, kind, text);
    }
    std::vector<LoggedEntry> recentLog(std::size_t count) override {
        return m_files.recentLog(count);
    }
    void flush() override;
    void compact() override;
    std::vector<Error> takeWriteFailures() override;
    bool takeRecovery() override;

    // For a clock moved by hand, which does not wake the writing thread: has it read the clock
    // again and returns once it has done what is due by then, or gone back to waiting.
    void catchUp();

private:
    using SteadyClock = std::chrono::steady_clock;

    void run();
    // Each takes the lock as it is and lets it go while the disk is busy.
    void sync(std::unique_lock<std::mutex>& lock);
    void compactNow(std::unique_lock<std::mutex>& lock, SteadyClock::time_point now);
    void note(std::unique_lock<std::mutex>& lock, const Result<void>& result);
    bool compactionDue(SteadyClock::time_point now) const;
    bool restartDue(SteadyClock::time_point now) const;
    void retryRestart(std::unique_lock<std::mutex>& lock, SteadyClock::time_point now);
    SteadyClock::time_point nextWake(SteadyClock::time_point now) const;

    DataFolderStorage m_files;
    std::function<void()> m_onFailure;
    MonotonicClock m_now;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // The newest state in the journal, and its change's serial.
    SavedStateSnapshot m_latest;
    std::int64_t m_latestSerial = 0;
    std::int64_t m_syncedSerial = 0;
    std::int64_t m_compactedSerial = 0;
    std::size_t m_steps = 0; // undo steps added or removed since the last rewrite
    // Until the store has started (or written), the journal is the owner thread's alone.
    bool m_started = false;
    bool m_unsynced = false;
    bool m_syncRequested = false;
    bool m_busy = false;
    bool m_stopping = false;
    bool m_finalCompactionTried = false;
    int m_compactRequests = 0;
    int m_compactsDone = 0;
    SteadyClock::time_point m_lastChange{};
    SteadyClock::time_point m_lastSync{};
    SteadyClock::time_point m_nextCompaction{};
    SteadyClock::time_point m_nextRestart{};
    // catchUp calls made, and how many of them the writing thread had seen at its last look
    // at the clock.
    int m_catchUps = 0;
    int m_catchUpsSeen = 0;
    std::vector<Error> m_failures;
    // Failing to append on the owner thread, and to sync or rewrite on the writing one: saving
    // works again once neither fails.
    bool m_appendFailing = false;
    bool m_diskFailing = false;
    bool m_recovered = false;
    std::thread m_thread; // last: started once everything above exists
};

} // namespace kelvarn
