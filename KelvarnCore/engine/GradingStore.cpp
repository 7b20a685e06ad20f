#include "engine/GradingStore.h"

#include <algorithm>

namespace kelvarn {

GradingStore::GradingStore(SavedState state, Clock clock) : m_clock(std::move(clock)) {
    resume(std::move(state));
    rebuildParser();
}

void GradingStore::resume(SavedState state) {
    m_session = std::move(state.session);
    for (auto& entry : state.undo) {
        m_undoSerial = std::max(m_undoSerial, entry.serialOrZero());
        m_undoStack.push(std::move(entry));
    }
}

GradingStore::ObserverID GradingStore::addObserver(Observer observer) {
    const ObserverID id = m_nextObserverID++;
    m_observers.emplace(id, std::move(observer));
    return id;
}

void GradingStore::removeObserver(ObserverID id) {
    m_observers.erase(id);
}

void GradingStore::notify(StoreField field) {
    // Copied so an observer may add or remove observers while being told.
    const auto observers = m_observers;
    for (const auto& [id, observer] : observers) {
        observer(field);
    }
}

std::optional<std::string> GradingStore::lastUndoLabel() const {
    if (m_undoStack.empty()) {
        return std::nullopt;
    }
    return m_undoStack.newest().label;
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

void GradingStore::editNotes(std::string text, const NotesTarget& target) {
    commit("Edited notes for " + label(target), "edit:" + textualForm(target),
           FeedItem::Kind::action, false, false,
           [&](Session& session) { session.setNotes(std::move(text), target); });
}

void GradingStore::replaceNotes(const std::map<NotesTarget, std::string>& notes,
                                const std::string& label) {
    commit(label, std::nullopt, FeedItem::Kind::action, false, true, [&](Session& session) {
        for (const auto& [target, text] : notes) {
            session.setNotes(text, target);
        }
    });
}

void GradingStore::commit(std::string label, std::optional<std::string> coalesceKey,
                          FeedItem::Kind kind, bool isNote, bool log, const Change& change) {
    Session changed = m_session;
    change(changed);
    if (changed == m_session) {
        return;
    }

    const TimePoint now = m_clock();
    const auto window = std::chrono::duration_cast<TimePoint::duration>(
        std::chrono::duration<double>(coalesceSeconds));
    if (coalesceKey && !m_undoStack.empty() && m_undoStack.newest().coalesceKey == coalesceKey &&
        now - m_undoStack.newest().date < window) {
        // One undo step for the whole burst; the refreshed date keeps the burst going.
        m_undoStack.setNewestDate(now);
    } else {
        ++m_undoSerial;
        m_undoStack.push(UndoEntry{m_session, label, std::move(coalesceKey), now, m_undoSerial,
                                   isNote ? std::optional<bool>(true) : std::nullopt});
        notify(StoreField::undoSerial);
    }
    notify(StoreField::undoStack);

    installSession(std::move(changed));
    if (log) {
        this->log(kind, std::move(label));
    }
    save();
}

void GradingStore::installSession(Session session) {
    const bool changed = !(session == m_session);
    m_session = std::move(session);
    if (changed) {
        notify(StoreField::session);
    }
    ++m_changeCounter;
    notify(StoreField::changeCounter);
}

void GradingStore::undo() {
    if (m_undoStack.empty()) {
        log(FeedItem::Kind::warning, "Nothing to undo");
        return;
    }
    UndoEntry entry = m_undoStack.popNewest();
    notify(StoreField::undoStack);
    installSession(std::move(entry.session));
    m_correctionArmed = false;
    // The restored class may hold names that a later roster load removed, or lack new ones.
    rebuildParser();
    log(FeedItem::Kind::action, "↩︎ Undid: " + entry.label);
    save();
}

void GradingStore::log(FeedItem::Kind kind, std::string text) {
    appendToLogFile(kind, text);
    appendFeedItem(kind, std::move(text));
}

void GradingStore::appendFeedItem(FeedItem::Kind kind, std::string text) {
    m_feed.push_back(FeedItem{Uuid::generate(), m_clock(), kind, std::move(text)});
    while (m_feed.size() > maxFeedLines) {
        m_feed.pop_front();
    }
    notify(StoreField::feed);
}

} // namespace kelvarn
