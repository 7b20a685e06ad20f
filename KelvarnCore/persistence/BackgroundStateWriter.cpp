#include "persistence/BackgroundStateWriter.h"

namespace kelvarn {

BackgroundStateWriter::BackgroundStateWriter(std::filesystem::path folder,
                                             std::function<void()> onFailure, MonotonicClock now)
    : m_files(std::move(folder)), m_onFailure(std::move(onFailure)), m_now(std::move(now)),
      m_thread([this] { run(); }) {}

BackgroundStateWriter::~BackgroundStateWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true; // what is pending is still written first
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundStateWriter::writeState(SavedStateSnapshot snapshot) {
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(snapshot);
    }
    m_changed.notify_all();
}

void BackgroundStateWriter::flush() {
    std::unique_lock lock(m_mutex);
    m_flushing = true;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_pending && !m_writing; });
    m_flushing = false;
}

void BackgroundStateWriter::catchUp() {
    std::unique_lock lock(m_mutex);
    const int call = ++m_catchUps;
    m_changed.notify_all();
    // With nothing pending the writing thread does not look at the clock at all.
    m_changed.wait(lock, [&] { return (!m_pending || m_catchUpsSeen >= call) && !m_writing; });
}

std::vector<Error> BackgroundStateWriter::takeWriteFailures() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

bool BackgroundStateWriter::takeRecovery() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_recovered, false);
}

void BackgroundStateWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_pending || m_stopping; });
        if (!m_pending) {
            return; // stopping, nothing left to write
        }
        // Wait out the spacing unless a flush or the end asks for the state now; a newer state
        // handed over meanwhile simply replaces the pending one. The clock is read again on
        // every wake-up, as the injected one need not be the one the wait times.
        while (!m_flushing && !m_stopping) {
            const auto now = m_now();
            if (m_catchUpsSeen != m_catchUps) {
                m_catchUpsSeen = m_catchUps;
                m_changed.notify_all(); // a catchUp waits for this look when nothing is due
            }
            if (now >= m_nextWrite) {
                break;
            }
            m_changed.wait_for(lock, m_nextWrite - now);
        }

        SavedStateSnapshot snapshot = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();

        const auto started = m_now();
        Result<void> written = m_files.stillInPlace();
        if (written) {
            written = DataFolderStorage::writeStateFile(m_files.path(File::state), snapshot);
        }
        const auto finished = m_now();
        // The snapshot's shared records are released here, off the owner thread.
        snapshot = {};

        lock.lock();
        m_writing = false;
        m_nextWrite = started + std::max<SteadyClock::duration>(
                                    minimumSpacing, durationFactor * (finished - started));
        const bool failed = !written;
        const bool recovered = !failed && std::exchange(m_failing, false);
        if (failed) {
            m_failures.push_back(Error{written.error()});
            m_failing = true;
            m_recovered = false;
        } else if (recovered) {
            m_recovered = true;
        }
        m_changed.notify_all();
        // The owner is told of a recovery the same way, so the feed can say saving works again.
        if ((failed || recovered) && m_onFailure) {
            lock.unlock();
            m_onFailure();
            lock.lock();
        }
    }
}

} // namespace kelvarn
