#include "persistence/BackgroundStateWriter.h"

#include "persistence/CompactionPolicy.h"

namespace kelvarn {

BackgroundStateWriter::BackgroundStateWriter(std::filesystem::path folder,
                                             std::function<void()> onFailure, MonotonicClock now)
    : m_files(std::move(folder)), m_onFailure(std::move(onFailure)), m_now(std::move(now)),
      m_thread([this] { run(); }) {}

BackgroundStateWriter::~BackgroundStateWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true; // what is pending is still synced and compacted first
    }
    m_changed.notify_all();
    m_thread.join();
}

JournalRecovery BackgroundStateWriter::recover(SavedState& state, TimePoint now) {
    // Before any change: the writing thread has nothing to do with the journal yet.
    JournalRecovery report = m_files.recover(state, now);
    for (Error& failure : m_files.takeWriteFailures()) {
        std::lock_guard lock(m_mutex);
        m_failures.push_back(std::move(failure));
        m_appendFailing = true;
    }
    return report;
}

void BackgroundStateWriter::startFrom(const SavedStateSnapshot& state) {
    m_files.startFrom(state);
    std::lock_guard lock(m_mutex);
    m_started = true;
    m_latest = state;
    m_latestSerial = m_syncedSerial = m_files.lastChange();
    m_compactedSerial = m_files.compactedUpTo();
}

void BackgroundStateWriter::writeState(SavedStateSnapshot snapshot) {
    // Appended here, so that a crash of the process right after cannot lose it.
    const Result<bool> recorded = m_files.recordChange(snapshot);
    const std::int64_t serial = m_files.lastChange();
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (!recorded) {
            m_failures.push_back(Error{recorded.error()});
            m_appendFailing = true;
            m_recovered = false;
            return;
        }
        m_started = true;
        if (std::exchange(m_appendFailing, false) && !m_diskFailing) {
            m_recovered = true;
        }
        if (serial == m_latestSerial) {
            return; // nothing changed
        }
        std::swap(m_latest, snapshot); // the older one is let go after the lock
        m_latestSerial = serial;
        m_steps += recorded.value() ? 1 : 0;
        m_lastChange = m_now();
        // With a sync already due the writing thread wakes by itself and looks at everything
        // again then: a keystroke need not wake it.
        wake = !std::exchange(m_unsynced, true);
    }
    if (wake) {
        m_changed.notify_all();
    }
}

void BackgroundStateWriter::flush() {
    std::unique_lock lock(m_mutex);
    const std::int64_t target = m_latestSerial;
    m_syncRequested = true;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_syncedSerial >= target && !m_busy; });
}

void BackgroundStateWriter::compact() {
    std::unique_lock lock(m_mutex);
    const int request = ++m_compactRequests;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_compactsDone >= request && !m_busy; });
}

void BackgroundStateWriter::catchUp() {
    std::unique_lock lock(m_mutex);
    const int call = ++m_catchUps;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_catchUpsSeen >= call && !m_busy; });
}

std::vector<Error> BackgroundStateWriter::takeWriteFailures() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

bool BackgroundStateWriter::takeRecovery() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_recovered, false);
}

bool BackgroundStateWriter::compactionDue(SteadyClock::time_point now) const {
    const bool behind = m_latestSerial > m_compactedSerial;
    if (m_stopping) {
        return behind && !m_finalCompactionTried;
    }
    if (m_compactRequests > m_compactsDone) {
        return behind;
    }
    if (!behind || now < m_nextCompaction) {
        return false;
    }
    return compaction::dueForSize(m_files.journalBytesSinceCompaction()) ||
           (now - m_lastChange >= compaction::idleTime &&
            compaction::dueWhenIdle(m_steps, m_files.stateFileBytes()));
}

BackgroundStateWriter::SteadyClock::time_point
BackgroundStateWriter::nextWake(SteadyClock::time_point now) const {
    auto wake = SteadyClock::time_point::max();
    if (m_unsynced) {
        wake = std::min(wake, m_lastSync + compaction::syncSpacing);
    }
    // Only for a rewrite that will be due then: anything else waits for the next change.
    if (m_latestSerial > m_compactedSerial) {
        if (compaction::dueForSize(m_files.journalBytesSinceCompaction())) {
            wake = std::min(wake, m_nextCompaction);
        } else if (compaction::dueWhenIdle(m_steps, m_files.stateFileBytes())) {
            wake = std::min(wake, std::max(m_nextCompaction, m_lastChange + compaction::idleTime));
        }
    }
    if (m_started && m_files.journalRestartDue()) {
        wake = std::min(wake, std::max(now + compaction::syncSpacing, m_nextRestart));
    }
    return wake;
}

void BackgroundStateWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // The clock is read again on every wake-up, as the injected one need not be the one the
        // wait times.
        const auto now = m_now();
        const bool catchingUp = m_catchUpsSeen != m_catchUps;
        const int catchUps = m_catchUps;
        const bool requested = m_compactRequests > m_compactsDone;
        if (m_unsynced && (now >= m_lastSync + compaction::syncSpacing || m_stopping || requested ||
                           m_syncRequested)) {
            sync(lock);
            m_lastSync = now;
        } else if (compactionDue(now)) {
            compactNow(lock, now);
        } else if (restartDue(now)) {
            retryRestart(lock, now);
        } else {
            if (requested) {
                m_compactsDone = m_compactRequests; // nothing to rewrite
            }
            if (catchingUp) {
                m_catchUpsSeen = catchUps;
            }
            m_changed.notify_all();
            if (m_stopping && !m_unsynced) {
                return;
            }
            // Waited for as a duration: the injected clock need not be the one the wait uses.
            const auto wake = nextWake(now);
            if (wake == SteadyClock::time_point::max()) {
                m_changed.wait(lock);
            } else {
                m_changed.wait_for(lock, wake - now);
            }
            continue;
        }
        m_changed.notify_all();
    }
}

bool BackgroundStateWriter::restartDue(SteadyClock::time_point now) const {
    return m_started && !m_stopping && now >= m_nextRestart && m_files.journalRestartDue();
}

// A new journal that changes kept from beginning right after a rewrite.
void BackgroundStateWriter::retryRestart(std::unique_lock<std::mutex>& lock,
                                         SteadyClock::time_point now) {
    m_busy = true;
    lock.unlock();
    const Result<bool> restarted = m_files.retryJournalRestart();
    lock.lock();
    m_busy = false;
    if (!restarted) {
        m_nextRestart = now + 10 * minimumSpacing;
        note(lock, Result<void>(Error{restarted.error()}));
    }
}

void BackgroundStateWriter::sync(std::unique_lock<std::mutex>& lock) {
    const std::int64_t target = m_latestSerial;
    m_unsynced = false;
    m_syncRequested = false;
    m_busy = true;
    lock.unlock();
    const Result<void> synced = m_files.syncJournal();
    lock.lock();
    m_busy = false;
    // A failed sync also ends a flush's wait: the failure is what it reports.
    m_syncedSerial = std::max(m_syncedSerial, target);
    note(lock, synced);
}

void BackgroundStateWriter::compactNow(std::unique_lock<std::mutex>& lock,
                                       SteadyClock::time_point now) {
    SavedStateSnapshot snapshot = m_latest;
    const std::int64_t upTo = m_latestSerial;
    const std::size_t steps = m_steps;
    const int requests = m_compactRequests;
    m_finalCompactionTried = m_stopping;
    m_busy = true;
    lock.unlock();
    const auto started = m_now();
    const Result<void> written = m_files.compactTo(snapshot, upTo);
    const auto finished = m_now();
    // The snapshot's shared records are released here, off the owner thread.
    snapshot = {};
    lock.lock();
    m_busy = false;
    m_compactsDone = std::max(m_compactsDone, requests);
    const auto spacing =
        std::max<SteadyClock::duration>(minimumSpacing, durationFactor * (finished - started));
    if (written) {
        m_compactedSerial = std::max(m_compactedSerial, upTo);
        m_steps -= std::min(m_steps, steps);
        m_nextCompaction = started + spacing;
    } else {
        // A failing disk is not hammered with whole rewrites.
        m_nextCompaction = now + 10 * spacing;
    }
    // The checkpoint's sync had everything appended before it on the disk too.
    m_syncedSerial = std::max(m_syncedSerial, std::min(upTo, m_latestSerial));
    note(lock, written);
}

void BackgroundStateWriter::note(std::unique_lock<std::mutex>& lock, const Result<void>& result) {
    const bool failed = !result;
    // While a change could not even be appended, nothing done here puts it on the disk.
    const bool recovered = !failed && std::exchange(m_diskFailing, false) && !m_appendFailing;
    if (failed) {
        m_failures.push_back(Error{result.error()});
        m_diskFailing = true;
        m_recovered = false;
    } else if (recovered) {
        m_recovered = true;
    }
    // The owner is told of a recovery the same way, so the feed can say saving works again.
    if ((failed || recovered) && m_onFailure) {
        lock.unlock();
        m_onFailure();
        lock.lock();
    }
}

} // namespace kelvarn
