#pragma once

#include "persistence/StateFingerprint.h"
#include "support/Result.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// session.journal, open for appending: each change is one frame written with a single write, so
// that once append returns a crash of the process cannot lose it (the disk has it once sync
// returns). Rewriting session.json is ordered with it: a checkpoint names the new file before it
// replaces the old one, and restart then begins a new journal from it, carrying the changes
// that came meanwhile. The file is only ever replaced whole, so a crash leaves the old journal or
// the new one.
//
// Threads: append from one thread (the store's); sync, checkpoint and restart from one other, or
// the same. The file descriptor and what is carried for a restart are shared under a lock that
// is never held while waiting for the disk.
class StateJournal final {
public:
    struct Change {
        std::int64_t serial = 0;
        std::string payload;
    };

    // A journal continuing the session.json with the fingerprint base (none: no file yet), whose
    // next change gets nextSerial. Nothing is written until startOver or the first append.
    StateJournal(std::filesystem::path path, std::optional<StateFingerprint> base,
                 std::int64_t nextSerial);
    ~StateJournal();
    StateJournal(const StateJournal&) = delete;
    StateJournal& operator=(const StateJournal&) = delete;

    // Replaces the file with a journal from base holding these changes: how a launch takes over
    // the journal it read (their serials must run on to nextSerial).
    Result<void> startOver(std::vector<Change> carried);
    // Writes one change; nothing is written when it fails.
    Result<void> append(std::string_view difference);
    // Returns once everything appended before the call is on the disk.
    Result<void> sync();
    // The newest change appended so far.
    std::int64_t lastSerial() const;
    // Bytes of the changes since the newest checkpoint (all of them, before any).
    std::uint64_t bytesSinceCheckpoint() const;

    // Says that the session.json with the fingerprint base, about to replace the old one, holds
    // every change up to upTo; it is on the disk when this returns.
    Result<void> checkpoint(std::int64_t upTo, const std::optional<StateFingerprint>& base);
    // After a checkpoint's file is in place: begins a new journal from it with the changes after
    // upTo. False when a change came while the new one was being written; try again later.
    Result<bool> restart();
    bool restartDue() const;

private:
    struct Frames {
        std::vector<std::string> pieces; // the first line, the start, the carried changes
        std::uint64_t bytes = 0;
    };
    Frames freshFile() const; // under the lock
    bool stillInPlace() const;
    Result<void> writeFrame(std::string_view frame);
    Result<void> replaceFile(std::unique_lock<std::mutex>& lock, bool& busy);

    const std::filesystem::path m_path;
    mutable std::mutex m_mutex;
    int m_fd = -1;
    std::optional<StateFingerprint> m_base;
    std::int64_t m_nextSerial;
    // The changes after the newest checkpoint, framed: what a new journal carries.
    std::deque<std::pair<std::int64_t, std::string>> m_carried;
    std::uint64_t m_carriedBytes = 0;
    std::uint64_t m_bytes = 0; // of the file
    std::uint64_t m_appends = 0;
    bool m_restartDue = false;
    // A failed write could not be taken back: nothing more goes into this file.
    bool m_broken = false;
};

} // namespace kelvarn
