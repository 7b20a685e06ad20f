#include "engine/GradingStore.h"

#include "persistence/DataFolderStorage.h"
#include "persistence/SavedStateJson.h"

#include <algorithm>

namespace kelvarn {

GradingStore::GradingStore(SavedState state, Clock clock, UuidSource ids)
    : m_clock(std::move(clock)), m_ids(std::move(ids)) {
    start(std::move(state));
    rebuildParser();
}

GradingStore::GradingStore(std::unique_ptr<StoreStorage> storage, Clock clock, UuidSource ids)
    : m_clock(std::move(clock)), m_ids(std::move(ids)), m_storage(std::move(storage)),
      m_corrections(m_storage.get()), m_comments(m_storage.get()) {
    loadFiles();
}

GradingStore::GradingStore(const std::optional<std::filesystem::path>& directory, Clock clock)
    : GradingStore(directory ? std::make_unique<DataFolderStorage>(*directory) : nullptr,
                   std::move(clock)) {}

void GradingStore::start(SavedState state) {
    m_session = std::move(state.session);
    for (auto& entry : state.undo) {
        m_undoSerial = std::max(m_undoSerial, entry.serialOrZero());
        m_undoStack.push(std::move(entry));
    }
}

void GradingStore::loadFiles() {
    const Batch batch(m_observers);
    std::optional<std::string> warning;
    JournalRecovery recovery;
    if (m_storage) {
        // The feed goes on where the last launch left it, from the log; these lines are not
        // logged again.
        for (LoggedEntry& entry : m_storage->recentLog(maxFeedLines)) {
            m_feed.push_back(
                FeedItem{m_ids(), entry.date, entry.kind, std::move(entry.text), true});
        }
        if (!m_feed.empty()) {
            changed(StoreField::feed);
        }
        warning = loadState(recovery);
    }
    const auto rulesWarning = m_corrections.load(m_clock());
    const auto commentsWarning = m_comments.load(m_clock());
    rebuildParser();
    if (warning) {
        log(FeedItem::Kind::warning, *warning);
    }
    if (rulesWarning) {
        log(FeedItem::Kind::warning, *rulesWarning);
    }
    if (commentsWarning) {
        log(FeedItem::Kind::warning, *commentsWarning);
    }
    logRecovery(recovery);
    reportWriteFailures();
}

std::optional<std::string> GradingStore::loadState(JournalRecovery& recovery) {
    auto text = m_storage->read(StoreStorage::File::state);
    if (!text) {
        // Only a missing file means a first launch; anything else may hide the grades.
        m_saveBlocked = text.error();
        return "Couldn't read the saved grades (" + text.error() +
               "). They are left as they are and nothing will be saved over them: make "
               "session.json readable or move it out of the data folder, then restart Kelvarn.";
    }
    std::optional<std::string> warning;
    SavedState state; // a first launch's, or what replaces a file set aside
    if (text.value()) {
        auto decoded = decodeSavedState(*text.value());
        if (decoded) {
            state = std::move(decoded).value();
        } else if (const auto aside = m_storage->setAside(StoreStorage::File::state, m_clock())) {
            warning = "Couldn't read the saved grades, so they were set aside in " + aside.value() +
                      ". Nothing was deleted.";
        } else {
            m_saveBlocked = aside.error();
            return "Couldn't read the saved grades, and couldn't set them aside (" + aside.error() +
                   "). They are left as they are and nothing will be saved over them: move "
                   "session.json out of the data folder, then restart Kelvarn.";
        }
    }
    recovery = m_storage->recover(state, m_clock());
    start(std::move(state));
    m_storage->startFrom(SavedStateSnapshot{m_session, m_undoStack.newest(savedUndoEntries)});
    return warning;
}

void GradingStore::logRecovery(const JournalRecovery& recovery) {
    const std::string changes =
        recovery.changes == 1 ? "1 change" : std::to_string(recovery.changes) + " changes";
    if (recovery.problem) {
        const std::string kept =
            recovery.setAside ? "; it was kept as " + *recovery.setAside : std::string();
        log(FeedItem::Kind::warning,
            "Part of session.journal, the record of the latest changes, could not be read (" +
                *recovery.problem + ")" + kept + ". " +
                (recovery.changes == 0   ? "No change was recovered from it."
                 : recovery.changes == 1 ? "The change before it was recovered."
                                         : "The " + changes + " before it were recovered."));
    } else if (recovery.changes > 0) {
        log(FeedItem::Kind::action, "Recovered " + changes +
                                        " from session.journal that the last run had not yet "
                                        "written into session.json.");
    }
}

std::optional<std::string> GradingStore::lastUndoLabel() const {
    if (m_undoStack.empty()) {
        return std::nullopt;
    }
    return m_undoStack.back().label;
}

std::optional<NotesTarget> GradingStore::currentNotesTarget() const {
    const Focus& focus = m_session.focus;
    if (!focus.studentID) {
        return std::nullopt;
    }
    if (focus.section) {
        return SectionNotes{*focus.studentID, *focus.section};
    }
    return OverallNotes{*focus.studentID};
}

std::optional<StudentRecord> GradingStore::student(const Uuid& id) const {
    const auto i = m_session.index(id);
    if (!i) {
        return std::nullopt;
    }
    return m_session.students[*i];
}

std::string GradingStore::label(const NotesTarget& target) const {
    const auto i = m_session.index(studentOf(target));
    const std::string name = i ? m_session.students[*i].name : "?";
    if (const auto* section = std::get_if<SectionNotes>(&target)) {
        return name + " · " + std::string(sections::shortTitle(section->section));
    }
    return name + " · overall";
}

namespace {

bool startsACharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::size_t codePointCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), startsACharacter));
}

// Where the first count characters of UTF-8 text end.
std::size_t byteLengthOf(std::string_view text, std::size_t count) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (startsACharacter(text[at]) && count-- == 0) {
            return at;
        }
    }
    return text.size();
}

} // namespace

std::string GradingStore::withinNoteLimit(std::string text, const NotesTarget& target) {
    // Called on every keystroke: a text of no more bytes than the limit is within it.
    if (text.size() <= maxNoteCharacters) {
        return text;
    }
    // A longer note saved by an earlier version stays whole; it only cannot grow.
    const std::size_t limit = std::max(maxNoteCharacters, codePointCount(m_session.notes(target)));
    const std::size_t kept = byteLengthOf(text, limit);
    if (kept == text.size()) {
        return text;
    }
    text.resize(kept);
    const std::string warning = "A note keeps at most " + std::to_string(limit) +
                                " characters: the end of the notes for " + label(target) +
                                " was left out.";
    if (m_feed.empty() || m_feed.back().text != warning) {
        log(FeedItem::Kind::warning, warning);
    }
    return text;
}

void GradingStore::editNotes(std::string text, const NotesTarget& target) {
    text = withinNoteLimit(std::move(text), target);
    commit("Edited notes for " + label(target),
           CommitOptions::typing("edit:" + textualForm(target)),
           [&](Session& session) { session.setNotes(std::move(text), target); });
}

void GradingStore::replaceNotes(const std::map<NotesTarget, std::string>& notes,
                                const std::string& label) {
    std::map<NotesTarget, std::string> kept;
    for (const auto& [target, text] : notes) {
        kept.emplace(target, withinNoteLimit(text, target));
    }
    commit(label, CommitOptions{}, [&](Session& session) {
        for (const auto& [target, text] : kept) {
            session.setNotes(text, target);
        }
    });
}

void GradingStore::commit(std::string label, const CommitOptions& options, const Change& change) {
    m_thread.check();
    const Batch batch(m_observers);
    Session changedSession = m_session;
    change(changedSession);
    if (changedSession == m_session) {
        return;
    }

    const TimePoint now = m_clock();
    const auto window = std::chrono::duration_cast<TimePoint::duration>(
        std::chrono::duration<double>(coalesceSeconds));
    if (options.coalesceKey && !m_undoStack.empty() &&
        m_undoStack.back().coalesceKey == options.coalesceKey &&
        now - m_undoStack.back().date < window) {
        // One undo step for the whole burst; the refreshed date keeps the burst going.
        m_undoStack.setNewestDate(now);
    } else {
        ++m_undoSerial;
        m_undoStack.push(
            UndoEntry{m_session, label, options.coalesceKey, now, m_undoSerial, options.undoKind});
        changed(StoreField::undoSerial);
    }
    changed(StoreField::undoStack);

    install(std::move(changedSession));
    if (options.logged) {
        log(options.feedKind, std::move(label));
    }
    save();
}

void GradingStore::install(Session session) {
    if (!(session == m_session)) {
        changed(StoreField::session);
    }
    m_session = std::move(session);
    ++m_changeCounter;
    changed(StoreField::changeCounter);
}

void GradingStore::undo() {
    m_thread.check();
    const Batch batch(m_observers);
    if (m_undoStack.empty()) {
        log(FeedItem::Kind::warning, "Nothing to undo");
        return;
    }
    UndoEntry entry = m_undoStack.popNewest();
    changed(StoreField::undoStack);
    install(std::move(entry.session));
    m_voice.correctionArmed = false;
    // The restored class may hold names that a later roster load removed, or lack new ones.
    rebuildParser();
    log(FeedItem::Kind::action, "↩︎ Undid: " + entry.label);
    save();
}

void GradingStore::log(FeedItem::Kind kind, std::string text) {
    m_thread.check();
    if (m_storage) {
        m_storage->appendLog(m_clock(), kind, text);
    }
    appendFeedItem(kind, std::move(text));
}

void GradingStore::appendFeedItem(FeedItem::Kind kind, std::string text) {
    m_feed.push_back(FeedItem{m_ids(), m_clock(), kind, std::move(text)});
    while (m_feed.size() > maxFeedLines) {
        m_feed.pop_front();
    }
    changed(StoreField::feed);
}

void GradingStore::save() {
    if (!m_storage) {
        return;
    }
    if (m_saveBlocked) {
        reportWriteFailure(
            "Autosave failed: session.json could not be read or set aside, so it is kept as it is");
        return;
    }
    m_storage->writeState(SavedStateSnapshot{m_session, m_undoStack.newest(savedUndoEntries)});
    reportWriteFailures();
}

void GradingStore::reportWriteFailures() {
    m_thread.check();
    if (!m_storage) {
        return;
    }
    const Batch batch(m_observers);
    for (const Error& failure : m_storage->takeWriteFailures()) {
        reportWriteFailure("Autosave failed: " + failure.message);
    }
    if (m_storage->takeRecovery() && m_failingSave) {
        m_failingSave.reset();
        appendFeedItem(FeedItem::Kind::action, "Saved again: every change is on disk.");
    }
}

void GradingStore::rememberWriteFailure(const std::string& text) {
    m_writeFailures.push_back(text);
    if (m_writeFailures.size() > keptWriteFailures) {
        m_writeFailures.erase(m_writeFailures.begin());
    }
}

// Said once while saving keeps failing the same way, so that a burst of typing against a full
// disk does not push the whole feed out.
void GradingStore::reportWriteFailure(std::string text) {
    if (text == m_failingSave) {
        return;
    }
    m_failingSave = text;
    rememberWriteFailure(text);
    // Straight into the feed: a failing disk must not also be written to the log.
    appendFeedItem(FeedItem::Kind::warning, std::move(text));
}

void GradingStore::flush() {
    m_thread.check();
    if (m_storage) {
        m_storage->flush();
        reportWriteFailures();
    }
}

void GradingStore::compact() {
    m_thread.check();
    if (m_storage && !m_saveBlocked) {
        m_storage->compact();
        reportWriteFailures();
    }
}

} // namespace kelvarn
