#include "persistence/StateJournal.h"

#include "persistence/FileIO.h"
#include "persistence/JournalFrames.h"
#include "persistence/JournalRecord.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarn {

namespace {

Error systemError(int code) {
    return Error{std::strerror(code)};
}

// One frame, resuming after a partial or interrupted write; false with errno set on failure.
bool writeWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

StateJournal::StateJournal(std::filesystem::path path, std::optional<StateFingerprint> base,
                           std::int64_t nextSerial)
    : m_path(std::move(path)), m_base(base), m_nextSerial(nextSerial) {}

StateJournal::~StateJournal() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

StateJournal::Frames StateJournal::freshFile() const {
    Frames frames;
    frames.pieces.emplace_back(journalFirstLine);
    frames.pieces.push_back(journalFrame(journalPayload(JournalStart{m_base})));
    for (const auto& [serial, frame] : m_carried) {
        frames.pieces.push_back(frame);
    }
    for (const std::string& piece : frames.pieces) {
        frames.bytes += piece.size();
    }
    return frames;
}

// Entered and left with the lock held; it is let go while the new file is written.
Result<void> StateJournal::replaceFile(std::unique_lock<std::mutex>& lock, bool& busy) {
    const Frames fresh = freshFile();
    const std::uint64_t appends = m_appends;
    lock.unlock();
    const std::vector<std::string_view> pieces(fresh.pieces.begin(), fresh.pieces.end());
    int fd = -1;
    ReplacementSteps steps;
    steps.beforeRename = [&](const std::filesystem::path& temporary) -> Result<void> {
        lock.lock();
        if (m_appends != appends) {
            busy = true;
            return Error{"a change came while session.journal was being rewritten"};
        }
        fd = ::open(temporary.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return systemError(errno);
        }
        return {};
    };
    steps.afterRename = [&] {
        std::swap(m_fd, fd);
        m_bytes = fresh.bytes;
        m_restartDue = false;
        m_broken = false;
    };
    auto written = writeFileAtomically(m_path, pieces, steps);
    if (!lock.owns_lock()) {
        lock.lock();
    }
    if (fd >= 0) {
        ::close(fd); // the old file's, or the new one's when it was not put in place
    }
    return written;
}

// Whether the path still names the open file (checked under the lock).
bool StateJournal::stillInPlace() const {
    struct stat open {};
    struct stat named {};
    return ::fstat(m_fd, &open) == 0 && ::lstat(m_path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Under the lock. Half a frame followed by whole ones would read as damage, so a failed write
// is taken back; when even that fails, nothing more goes into this file.
Result<void> StateJournal::writeFrame(std::string_view frame) {
    if (!writeWhole(m_fd, frame)) {
        const int error = errno;
        m_broken = ::ftruncate(m_fd, static_cast<off_t>(m_bytes)) != 0;
        return Error{m_path.string() + ": " + std::strerror(error)};
    }
    m_bytes += frame.size();
    return {};
}

Result<void> StateJournal::startOver(std::vector<Change> carried) {
    std::unique_lock lock(m_mutex);
    m_carried.clear();
    m_carriedBytes = 0;
    for (const Change& change : carried) {
        m_carried.emplace_back(change.serial, journalFrame(change.payload));
        m_carriedBytes += m_carried.back().second.size();
    }
    bool busy = false;
    return replaceFile(lock, busy);
}

Result<void> StateJournal::append(std::string_view difference) {
    std::unique_lock lock(m_mutex);
    if (m_broken) {
        return Error{m_path.string() + " could not be set right after a failed write"};
    }
    if (m_fd < 0 || !stillInPlace()) {
        // Removed or replaced by someone else: what it held since the last rewrite is written
        // anew, so that nothing goes into a file no one will read.
        bool busy = false;
        if (auto made = replaceFile(lock, busy); !made) {
            return Error{m_path.string() + ": " + made.error()};
        }
    }
    const std::int64_t serial = m_nextSerial;
    std::string frame = journalFrame(journalPayload(JournalChange{serial, difference}));
    if (auto written = writeFrame(frame); !written) {
        return written;
    }
    m_carriedBytes += frame.size();
    m_carried.emplace_back(serial, std::move(frame));
    ++m_nextSerial;
    ++m_appends;
    return {};
}

Result<void> StateJournal::sync() {
    int fd = -1;
    {
        std::lock_guard lock(m_mutex);
        fd = m_fd;
    }
    // Only this thread replaces the descriptor, so it stays open while the disk is waited for.
    if (fd >= 0 && ::fdatasync(fd) != 0) {
        return Error{m_path.string() + ": " + std::strerror(errno)};
    }
    return {};
}

std::int64_t StateJournal::lastSerial() const {
    std::lock_guard lock(m_mutex);
    return m_nextSerial - 1;
}

std::uint64_t StateJournal::bytesSinceCheckpoint() const {
    std::lock_guard lock(m_mutex);
    return m_carriedBytes;
}

bool StateJournal::restartDue() const {
    std::lock_guard lock(m_mutex);
    return m_restartDue || m_broken;
}

Result<void> StateJournal::checkpoint(std::int64_t upTo,
                                      const std::optional<StateFingerprint>& base) {
    {
        std::lock_guard lock(m_mutex);
        if (m_fd >= 0 && !m_broken) {
            if (auto written =
                    writeFrame(journalFrame(journalPayload(JournalCheckpoint{upTo, base})));
                !written) {
                return written;
            }
        }
        m_base = base;
        while (!m_carried.empty() && m_carried.front().first <= upTo) {
            m_carriedBytes -= m_carried.front().second.size();
            m_carried.pop_front();
        }
        m_restartDue = true;
    }
    return sync();
}

Result<bool> StateJournal::restart() {
    std::unique_lock lock(m_mutex);
    if (!m_restartDue && !m_broken) {
        return true;
    }
    bool busy = false;
    if (auto replaced = replaceFile(lock, busy); !replaced) {
        if (busy) {
            return false;
        }
        return Error{m_path.string() + ": " + replaced.error()};
    }
    return true;
}

} // namespace kelvarn
