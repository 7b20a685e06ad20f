#pragma once

#include "engine/Clock.h"
#include "engine/HeardUtterance.h"
#include "engine/Pending.h"
#include "engine/StoreField.h"
#include "engine/UndoStack.h"
#include "language/Command.h"
#include "language/CommandParser.h"
#include "language/Correction.h"
#include "model/FeedItem.h"
#include "model/NotesTarget.h"
#include "model/SavedState.h"
#include "model/Session.h"
#include "model/UndoEntry.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvarn {

// Owns the grading state of the running application. Every change of the session passes
// through commit(), which makes it one labelled, undoable step and a line of the feed.
// Used on one thread; observers are called synchronously, only for fields that changed.
class GradingStore final {
public:
    static constexpr std::size_t maxFeedLines = 200;
    static constexpr std::size_t maxUndoEntries = 500;
    // The saved state keeps only the newest entries; the stack in memory keeps them all.
    static constexpr std::size_t savedUndoEntries = 100;
    static constexpr double coalesceSeconds = 4.0;

    using Observer = std::function<void(StoreField)>;
    using ObserverID = std::uint64_t;

    // Resumes from a saved state; new undo entries are numbered after the highest saved serial.
    explicit GradingStore(SavedState state, Clock clock = systemClock());
    // Works in a data folder: loads its saved state, and saves after every change. An
    // unreadable saved state is set aside, never overwritten. Without a folder no file is
    // read or written.
    explicit GradingStore(const std::optional<std::filesystem::path>& directory,
                          Clock clock = systemClock());

    GradingStore(const GradingStore&) = delete;
    GradingStore& operator=(const GradingStore&) = delete;

    const Session& session() const { return m_session; }
    const std::deque<FeedItem>& feed() const { return m_feed; }
    const std::deque<UndoEntry>& undoStack() const { return m_undoStack.entries(); }
    std::int64_t undoSerial() const { return m_undoSerial; }
    std::uint64_t changeCounter() const { return m_changeCounter; }

    const std::optional<std::filesystem::path>& saveURL() const { return m_saveURL; }
    const std::optional<std::filesystem::path>& logURL() const { return m_logURL; }
    const std::optional<std::filesystem::path>& correctionsURL() const { return m_correctionsURL; }

    ObserverID addObserver(Observer observer);
    void removeObserver(ObserverID id);

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

    // Merges a roster into the class as one step: students still listed keep their records,
    // new names get fresh records, and students with work who are no longer listed are kept.
    void loadRoster(const std::vector<std::string>& names);

    // Commands, whether spoken, typed as shortcuts or clicked.
    const std::optional<Pending>& pending() const { return m_pending; }
    bool voicePaused() const { return m_voicePaused; }
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
    const CommandParser& parser() const { return m_parser; }
    const std::optional<HeardUtterance>& lastUtterance() const { return m_lastUtterance; }
    void handleTranscript(std::string_view text) { process(text, true); }
    // True while nothing has changed the session since the last heard line was processed.
    bool canFixLastUtterance() const;
    // Rolls back what the last heard line did and runs the corrected text instead; with
    // remember, also learns a rule that turns the heard words into the corrected ones.
    void fixLastUtterance(const std::string& corrected, bool remember);

    // The user's misheard-to-replacement rules, oldest first.
    const std::vector<Correction>& corrections() const { return m_corrections; }
    void addCorrection(const Correction& rule);
    void removeCorrection(const Uuid& id);
    // Hints for the recogniser: every replacement, phrase and name key, sorted, once each.
    std::vector<std::string> recognizerVocabulary() const;

private:
    using Change = std::function<void(Session&)>;

    // Records and applies a change; a change that leaves the session equal records nothing.
    void commit(std::string label, std::optional<std::string> coalesceKey, FeedItem::Kind kind,
                bool isNote, bool log, const Change& change);
    void installSession(Session session);

    void setPending(std::optional<Pending> pending);
    void clearPending() { setPending(std::nullopt); }
    void ask();
    void setVoicePausedFlag(bool paused);
    void focusStudentFromCommand(const Uuid& id);
    void applyFocusAndMaybeLevel(const Uuid& studentID, SectionID section,
                                 const std::optional<Level>& level);
    void stepStudent(int delta);
    void stepSection(int delta);
    void resetFocus();
    void commitFocus(std::string label, Focus focus);
    std::string studentName(const Uuid& id) const;

    void process(std::string_view rawText, bool applyingCorrections);
    void addNote(const std::string& text);
    void replaceLastNote(const std::string& text);
    void rebuildParser();
    void loadCorrections();
    void saveCorrections();

    void resume(SavedState state);
    void loadSavedState(std::optional<std::string>& setAsideName, std::string& setAsideError);
    std::optional<std::string> setAsideUnreadableSaveFile(std::string& error);
    void save();
    void appendToLogFile(FeedItem::Kind kind, const std::string& text);

    void appendFeedItem(FeedItem::Kind kind, std::string text);
    void notify(StoreField field);

    Clock m_clock;
    Session m_session;
    std::deque<FeedItem> m_feed;
    UndoStack m_undoStack{maxUndoEntries};
    std::int64_t m_undoSerial = 0;
    std::uint64_t m_changeCounter = 0;
    std::optional<Pending> m_pending;
    bool m_voicePaused = false;
    CommandParser m_parser;
    std::vector<Correction> m_corrections;
    std::optional<HeardUtterance> m_lastUtterance;
    // A "correction" without text was said: the next dictated note replaces the last one.
    bool m_correctionArmed = false;

    std::optional<std::filesystem::path> m_saveURL;
    std::optional<std::filesystem::path> m_logURL;
    std::optional<std::filesystem::path> m_correctionsURL;
    // Set while an unreadable session file could not be moved aside: saving would destroy it.
    bool m_saveBlocked = false;

    std::map<ObserverID, Observer> m_observers;
    ObserverID m_nextObserverID = 1;
};

} // namespace kelvarn
