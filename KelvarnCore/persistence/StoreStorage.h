#pragma once

#include "model/FeedItem.h"
#include "model/SavedState.h"
#include "persistence/ActivityLog.h"
#include "persistence/SavedStateSnapshot.h"
#include "support/Result.h"
#include "support/Time.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// What a launch found in the journal of changes beside the saved state.
struct JournalRecovery {
    // Changes made after session.json was last written, now applied on top of it.
    std::size_t changes = 0;
    // Where an unreadable part of the journal was kept, and what was wrong with it.
    std::optional<std::string> setAside;
    std::optional<std::string> problem;
};

// The files a grading store keeps: its saved state, its correction rules, its comment bank and
// its activity log.
// The store reaches persistence only through this seam. Every call comes from the store's owner
// thread; an implementation may do the writing elsewhere.
class StoreStorage {
public:
    enum class File { state, rules, comments };

    virtual ~StoreStorage() = default;

    // The file's text; nothing when it does not exist (a first launch); an error for any other
    // failure to read it, which must never be taken for a first launch.
    virtual Result<std::optional<std::string>> read(File file) = 0;
    // After the state file was read (and decoded, or found missing): applies the changes that a
    // journal recorded after it. A storage without one changes nothing.
    virtual JournalRecovery recover(SavedState& /*state*/, TimePoint /*now*/) { return {}; }
    // The state the store starts from, equal to what the files now hold: later states are
    // recorded as changes from it.
    virtual void startFrom(const SavedStateSnapshot& /*state*/) {}
    // Moves an unreadable file aside under a time-stamped name that never replaces an earlier
    // one, and returns that name.
    virtual Result<std::string> setAside(File file, TimePoint now) = 0;

    // Hands over the newest state. Failures are kept for takeWriteFailures.
    virtual void writeState(SavedStateSnapshot snapshot) = 0;
    // Replaces the rules or the comments file (the state goes through writeState).
    virtual Result<void> writeFile(File file, std::string_view text) = 0;
    // One entry of the activity log; failures are ignored, the log is only a record.
    virtual void appendLog(TimePoint date, FeedItem::Kind kind, std::string_view text) = 0;
    // The log's newest entries, at most count, oldest first: the feed a launch starts with.
    // None when there is no log or it cannot be read; a storage that keeps no log has none.
    virtual std::vector<LoggedEntry> recentLog(std::size_t /*count*/) { return {}; }

    // Returns once every state handed over is on the disk (or has failed).
    virtual void flush() = 0;
    // Also rewrites the state file so that it alone holds the newest state, as at quitting.
    virtual void compact() { flush(); }
    // Failed state writes not yet reported, oldest first.
    virtual std::vector<Error> takeWriteFailures() = 0;
    // True, once, when a state write succeeded after a failed one and no failure came since.
    virtual bool takeRecovery() = 0;
};

} // namespace kelvarn
