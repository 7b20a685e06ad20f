#pragma once

#include "engine/Clock.h"
#include "engine/CommentBank.h"
#include "engine/CorrectionRules.h"
#include "engine/HeardUtterance.h"
#include "engine/Pending.h"
#include "engine/StoreField.h"
#include "engine/StoreObservers.h"
#include "engine/UndoStack.h"
#include "engine/VoiceConversation.h"
#include "language/Command.h"
#include "language/CommandParser.h"
#include "language/Correction.h"
#include "model/FeedItem.h"
#include "model/NotesTarget.h"
#include "model/RosterName.h"
#include "model/SavedState.h"
#include "model/Session.h"
#include "model/UndoEntry.h"
#include "persistence/Roster.h"
#include "persistence/StoreStorage.h"
#include "support/OwnerThread.h"
#include "support/UuidSource.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvarn {

// Owns the grading state of the running application. Every change of the session passes
// through one gate, which makes it one labelled, undoable step and a line of the feed.
//
// Threads: the store belongs to the thread that created it; every call comes from there (debug
// builds assert it). It takes no locks. Observers are called on that thread, once per changed
// field when an operation has finished, with the new state fully in place. Only its storage may
// write on another thread; the state it hands over is an immutable snapshot.
class GradingStore final {
public:
    static constexpr std::size_t maxFeedLines = 200;
    // The save failures kept for writeFailures, newest last.
    static constexpr std::size_t keptWriteFailures = 20;
    static constexpr std::size_t maxUndoEntries = 500;
    // The saved state keeps only the newest entries; the stack in memory keeps them all.
    static constexpr std::size_t savedUndoEntries = 100;
    static constexpr double coalesceSeconds = 4.0;
    // Pages of notes, far more than any essay needs: every undo step keeps a copy of the class,
    // so an endless dictation or paste would weigh on every save a hundred times over.
    static constexpr std::size_t maxNoteCharacters = 20000;

    using Observer = StoreObservers::Observer;
    using Subscription = StoreObservers::Subscription;

    // Resumes from a saved state, without files; new undo entries are numbered after the
    // highest saved serial.
    explicit GradingStore(SavedState state, Clock clock = systemClock(),
                          UuidSource ids = randomUuids());
    // Works with files: loads the saved state and the rules, and saves after every change. An
    // unreadable file is set aside, or when that fails left alone and never saved over.
    explicit GradingStore(std::unique_ptr<StoreStorage> storage, Clock clock = systemClock(),
                          UuidSource ids = randomUuids());
    // The same over a data folder written synchronously; without a folder no file is touched.
    explicit GradingStore(const std::optional<std::filesystem::path>& directory,
                          Clock clock = systemClock());

    GradingStore(const GradingStore&) = delete;
    GradingStore& operator=(const GradingStore&) = delete;

    const Session& session() const { return m_session; }
    const std::deque<FeedItem>& feed() const { return m_feed; }
    const UndoStack& undoStack() const { return m_undoStack; }
    std::int64_t undoSerial() const { return m_undoSerial; }
    std::uint64_t changeCounter() const { return m_changeCounter; }

    Subscription addObserver(Observer observer) { return m_observers.add(std::move(observer)); }

    // Waits until every change is on disk, then reports any failed save in the feed.
    void flush();
    // The same, and has session.json hold everything on its own (the journal of changes beside
    // it is then empty), as when quitting.
    void compact();
    // Puts save failures that happened elsewhere into the feed (the application calls this when
    // its background writer says one happened).
    void reportWriteFailures();
    // The save failures of this run as shown in the feed (the last keptWriteFailures).
    const std::vector<std::string>& writeFailures() const { return m_writeFailures; }
    // What the newest save failed with, until one succeeds again.
    const std::optional<std::string>& failingSave() const { return m_failingSave; }

    void undo();
    bool canUndo() const { return !m_undoStack.empty(); }
    std::optional<std::string> lastUndoLabel() const;

    std::optional<NotesTarget> currentNotesTarget() const;
    std::string notes(const NotesTarget& target) const { return m_session.notes(target); }
    // Typing in a notes editor: silent in the feed, bursts on one target share an undo step.
    void editNotes(std::string text, const NotesTarget& target);
    void replaceNotes(const std::map<NotesTarget, std::string>& notes, const std::string& label);
    std::optional<StudentRecord> student(const Uuid& id) const;
    std::string label(const NotesTarget& target) const;

    void log(FeedItem::Kind kind, std::string text);

    // Merges a roster into the class as one step that adds the new names and keeps every
    // student already there. The feed says how many names were added, how many were there
    // already, and how many lines of the file named no one (skippedLines); a roster that changes
    // nothing is said there too, without an undo step.
    void loadRoster(const std::vector<RosterName>& names, std::size_t skippedLines = 0);
    // A roster file's names, with a warning for its lines that don't look like names.
    void loadRoster(const roster::Parsed& roster);

    // Commands, whether spoken, typed as shortcuts or clicked.
    const std::optional<Pending>& pending() const { return m_voice.pending; }
    bool voicePaused() const { return m_voice.paused; }
    void execute(const Command& command);
    void focusStudent(const std::optional<Uuid>& id);
    void focusSection(const std::optional<SectionID>& section);
    void unfocus();
    // Sets (or, without a level, clears) a section's level and focuses that section.
    void setLevel(const std::optional<Level>& level, const Uuid& studentID, SectionID section);
    // The open question as shown to the user; empty when there is none.
    std::string pendingQuestion() const;
    void cancelPending() { execute(commands::Cancel{}); }
    void setVoicePaused(bool paused);

    // Speech: every final transcript enters here.
    // Copy it to use it on another thread: a rebuild replaces this one.
    const CommandParser& parser() const { return m_parser; }
    const std::optional<HeardUtterance>& lastUtterance() const { return m_voice.lastUtterance; }
    void handleTranscript(std::string_view text);
    // True while nothing has changed the session since the last heard line was processed.
    bool canFixLastUtterance() const;
    // Rolls back what the last heard line did and runs the corrected text instead; with
    // remember, also learns a rule that turns the heard words into the corrected ones.
    void fixLastUtterance(const std::string& corrected, bool remember);

    // The user's misheard-to-replacement rules, oldest first.
    const std::vector<Correction>& corrections() const { return m_corrections.rules(); }
    void addCorrection(const Correction& rule);
    // False when no rule has this id.
    bool removeCorrection(const Uuid& id);
    // The comment bank, in the order comments were added. Each change says in the feed what it
    // did, or why it was refused; false when it was refused.
    const std::vector<Comment>& comments() const { return m_comments.comments(); }
    bool addComment(std::string name, std::string text);
    bool editComment(std::string_view name, std::string newName, std::string newText);
    bool removeComment(std::string_view name);
    // Comments read from a CSV file, merged by name: a name already there gets the new text.
    void importComments(const std::vector<Comment>& comments, std::size_t skippedRows = 0);

    // Hints for the recogniser: every replacement, phrase and name key, sorted, once each.
    std::vector<std::string> recognizerVocabulary() const;

private:
    // The text cut to maxNoteCharacters (or the target's present length, if longer), saying so
    // in the feed (once for a run of edits) when it was longer.
    std::string withinNoteLimit(std::string text, const NotesTarget& target);
    // Dictated text added to base, within the limit, and the part of it that was kept.
    struct AppendedNote {
        std::string notes;
        std::string added;
    };
    AppendedNote appendedNote(const std::string& base, const std::string& text,
                              const NotesTarget& target);

    using Change = std::function<void(Session&)>;
    using Batch = StoreObservers::Batch;

    struct CommitOptions {
        // Changes with the same key in quick succession share one undo step.
        std::optional<std::string> coalesceKey;
        FeedItem::Kind feedKind = FeedItem::Kind::action;
        UndoEntry::Kind undoKind = UndoEntry::Kind::other;
        // Typing in an editor is silent in the feed.
        bool logged = true;

        static CommitOptions typing(std::string coalesceKey) {
            CommitOptions options;
            options.coalesceKey = std::move(coalesceKey);
            options.logged = false;
            return options;
        }
        static CommitOptions dictation(UndoEntry::Kind kind) {
            CommitOptions options;
            options.feedKind = FeedItem::Kind::note;
            options.undoKind = kind;
            return options;
        }
    };

    void start(SavedState state);
    void loadFiles();
    // The saved state and the journal's changes on top of it; a warning for the feed when the
    // file could not be used.
    std::optional<std::string> loadState(JournalRecovery& recovery);
    void logRecovery(const JournalRecovery& recovery);

    // The gate: records and applies a change; one that leaves the session equal records nothing.
    void commit(std::string label, const CommitOptions& options, const Change& change);
    // Installs a session, restored or changed, and saves it.
    void install(Session session);

    void run(const commands::Student& c);
    void run(const commands::AmbiguousStudent& c);
    void run(const commands::Section& c);
    void run(const commands::Level& c);
    void run(const commands::Undo&);
    void run(const commands::Unfocus&);
    void run(const commands::NextStudent&) { stepStudent(+1); }
    void run(const commands::PreviousStudent&) { stepStudent(-1); }
    void run(const commands::NextSection&) { stepSection(+1); }
    void run(const commands::PreviousSection&) { stepSection(-1); }
    void run(const commands::PauseListening&);
    void run(const commands::ResumeListening&);
    void run(const commands::ClearNotes&);
    void run(const commands::Cancel&);
    void run(const commands::NoSuchStudent& c);
    void run(const commands::NextUngraded&);
    void run(const commands::InsertComment& c);

    void setPending(std::optional<Pending> pending);
    const pending::WhichStudent* whichStudentPending() const {
        return m_voice.pending ? std::get_if<pending::WhichStudent>(&*m_voice.pending) : nullptr;
    }
    void clearPending() { setPending(std::nullopt); }
    void ask();
    void setVoicePausedFlag(bool paused);
    void applyFocusAndMaybeLevel(const Uuid& studentID, SectionID section,
                                 const std::optional<Level>& level);
    void stepStudent(int delta);
    void stepSection(int delta);
    void resetFocus();
    void commitFocus(std::string label, Focus focus);
    std::string studentName(const Uuid& id) const;

    void process(std::string_view rawText, bool applyingCorrections);
    void runSentence(const ParsedSentence& sentence, std::vector<std::string>& noteBuffer);
    void flushNotes(std::vector<std::string>& noteBuffer);
    void addNote(const std::string& text);
    void replaceLastNote(const std::string& text);
    void rebuildParser();
    // After a change of the bank: the feed says it, or that it could not be saved.
    void commentsChanged(const CommentBank::Outcome& outcome, const std::string& done);

    void save();
    void reportWriteFailure(std::string text);
    void rememberWriteFailure(const std::string& text);
    void appendFeedItem(FeedItem::Kind kind, std::string text);
    void changed(StoreField field) { m_observers.changed(field); }

    OwnerThread m_thread;
    Clock m_clock;
    UuidSource m_ids;
    std::unique_ptr<StoreStorage> m_storage;
    StoreObservers m_observers;

    Session m_session;
    std::deque<FeedItem> m_feed;
    UndoStack m_undoStack{maxUndoEntries};
    std::int64_t m_undoSerial = 0;
    std::uint64_t m_changeCounter = 0;
    VoiceConversation m_voice;
    CommandParser m_parser;
    CorrectionRules m_corrections{nullptr};
    CommentBank m_comments{nullptr};

    // Set while an unreadable session file is left in place: saving would destroy it.
    std::optional<std::string> m_saveBlocked;
    std::vector<std::string> m_writeFailures;
    // The failure that saving the state last said, until a save succeeds again.
    std::optional<std::string> m_failingSave;
};

} // namespace kelvarn
