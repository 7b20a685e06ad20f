// Command execution and the one open question.
#include "engine/GradingStore.h"

#include "model/PointFormat.h"
#include "support/Overloaded.h"

namespace kelvarn {

namespace {

std::optional<Level> levelWaitingForSection(const std::optional<Pending>& pending) {
    if (pending) {
        if (const auto* waiting = std::get_if<pending::LevelNeedsSection>(&*pending)) {
            return waiting->level;
        }
    }
    return std::nullopt;
}

std::string quotedLevel(Level level) {
    return "“" + std::string(levels::title(level)) + "”";
}

} // namespace

void GradingStore::execute(const Command& command) {
    m_thread.check();
    const Batch batch(m_observers);
    std::visit([this](const auto& c) { run(c); }, command);
}

void GradingStore::run(const commands::Student& c) {
    const Uuid& id = c.id;
    if (!m_session.index(id)) {
        return;
    }
    if (m_voice.pending) {
        if (const auto* which = std::get_if<pending::WhichStudent>(&*m_voice.pending)) {
            const auto [ids, section, level] = *which;
            clearPending();
            if (section) {
                applyFocusAndMaybeLevel(id, *section, level);
                return;
            }
            commitFocus("→ " + studentName(id), Focus{id, std::nullopt});
            if (level) {
                setPending(pending::LevelNeedsSection{*level});
                ask();
            }
            return;
        }
        if (std::holds_alternative<pending::LevelNeedsSection>(*m_voice.pending)) {
            // The level still needs a section, now of this student: keep asking.
            commitFocus("→ " + studentName(id), Focus{id, std::nullopt});
            ask();
            return;
        }
        if (const auto* waiting = std::get_if<pending::SectionNeedsStudent>(&*m_voice.pending)) {
            const auto [section, level] = *waiting;
            clearPending();
            applyFocusAndMaybeLevel(id, section, level);
            return;
        }
    }
    clearPending();
    commitFocus("→ " + studentName(id), Focus{id, std::nullopt});
}

void GradingStore::run(const commands::AmbiguousStudent& c) {
    setPending(pending::WhichStudent{c.ids});
    ask();
}

void GradingStore::run(const commands::Section& c) {
    if (auto* which = whichStudentPending()) {
        setPending(pending::WhichStudent{which->ids, c.section, which->level});
        return;
    }
    const std::optional<Level> level = levelWaitingForSection(m_voice.pending);
    if (!m_session.focus.studentID) {
        setPending(pending::SectionNeedsStudent{c.section, level});
        ask();
        return;
    }
    clearPending();
    applyFocusAndMaybeLevel(*m_session.focus.studentID, c.section, level);
}

void GradingStore::run(const commands::Level& c) {
    if (auto* which = whichStudentPending()) {
        setPending(pending::WhichStudent{which->ids, which->section, c.level});
        return;
    }
    const Focus& focus = m_session.focus;
    if (focus.studentID && focus.section) {
        clearPending();
        setLevel(c.level, *focus.studentID, *focus.section);
        return;
    }
    const auto* waiting =
        m_voice.pending ? std::get_if<pending::SectionNeedsStudent>(&*m_voice.pending) : nullptr;
    if (waiting) {
        setPending(pending::SectionNeedsStudent{waiting->section, c.level});
    } else {
        setPending(pending::LevelNeedsSection{c.level});
    }
    ask();
}

void GradingStore::run(const commands::Undo&) {
    clearPending();
    undo();
}

void GradingStore::run(const commands::Unfocus&) {
    clearPending();
    unfocus();
}

void GradingStore::run(const commands::PauseListening&) {
    clearPending();
    setVoicePausedFlag(true);
    log(FeedItem::Kind::action, "⏸ Listening paused — say “resume listening” to continue");
}

void GradingStore::run(const commands::ResumeListening&) {
    if (m_voice.paused) {
        setVoicePausedFlag(false);
        log(FeedItem::Kind::action, "▶︎ Listening resumed");
    }
}

void GradingStore::run(const commands::ClearNotes&) {
    clearPending();
    const auto target = currentNotesTarget();
    if (!target) {
        log(FeedItem::Kind::warning, "Nothing focused — no notes to clear");
        return;
    }
    if (notes(*target).empty()) {
        return;
    }
    commit("Cleared notes for " + label(*target), CommitOptions{},
           [&](Session& session) { session.setNotes("", *target); });
}

void GradingStore::run(const commands::Cancel&) {
    if (!m_voice.pending) {
        return;
    }
    clearPending();
    log(FeedItem::Kind::action, "Cancelled");
}

void GradingStore::run(const commands::NoSuchStudent& c) {
    clearPending();
    const std::size_t count = m_session.students.size();
    log(FeedItem::Kind::warning, count == 0 ? std::string("No roster loaded")
                                            : "No student " + std::to_string(c.number) +
                                                  " — the class has " + std::to_string(count));
}

void GradingStore::run(const commands::NextUngraded&) {
    clearPending();
    const auto& students = m_session.students;
    if (students.empty()) {
        log(FeedItem::Kind::warning, "No roster loaded");
        return;
    }
    // After the focused student, round the class and back to it last.
    const auto current = m_session.index(m_session.focus.studentID);
    const std::size_t start = current ? *current + 1 : 0;
    for (std::size_t step = 0; step < students.size(); ++step) {
        const StudentRecord& student = students[(start + step) % students.size()];
        for (const SectionID section : sections::allCases) {
            if (!student.grade(section).level) {
                commitFocus("→ " + student.name + " · " + std::string(sections::title(section)),
                            Focus{student.id, section});
                return;
            }
        }
    }
    log(FeedItem::Kind::warning, "Every section of every student has a level — nothing ungraded");
}

void GradingStore::focusStudent(const std::optional<Uuid>& id) {
    m_thread.check();
    const Batch batch(m_observers);
    clearPending();
    if (!id) {
        resetFocus();
        return;
    }
    if (!m_session.index(*id)) {
        return;
    }
    commitFocus("→ " + studentName(*id), Focus{*id, std::nullopt});
}

void GradingStore::focusSection(const std::optional<SectionID>& section) {
    m_thread.check();
    const Batch batch(m_observers);
    clearPending();
    const auto studentID = m_session.focus.studentID;
    if (!studentID) {
        return;
    }
    commitFocus(section ? "→ " + std::string(sections::title(*section)) : "Unfocused section",
                Focus{studentID, section});
}

void GradingStore::unfocus() {
    m_thread.check();
    const Batch batch(m_observers);
    const Focus& focus = m_session.focus;
    if (focus.studentID && focus.section) {
        const auto i = m_session.index(focus.studentID);
        commitFocus("↑ Back to " + (i ? m_session.students[*i].name : std::string("student")),
                    Focus{focus.studentID, std::nullopt});
    } else if (focus.studentID) {
        resetFocus();
    }
}

void GradingStore::resetFocus() {
    commitFocus("↑ All students", Focus{});
}

void GradingStore::setLevel(const std::optional<Level>& level, const Uuid& studentID,
                            SectionID section) {
    m_thread.check();
    const Batch batch(m_observers);
    const auto i = m_session.index(studentID);
    if (!i) {
        return;
    }
    const std::string& name = m_session.students[*i].name;
    const std::string title(sections::shortTitle(section));
    const std::string label =
        level ? title + " → " + std::string(levels::title(*level)) + " (" +
                    outOf(sections::points(section, *level), sections::weight(section)) + ") · " +
                    name
              : "Cleared " + title + " level · " + name;
    commit(label, CommitOptions{}, [&](Session& session) {
        session.students.edit(*i).sections[section].level = level;
        session.focus = Focus{studentID, section};
    });
}

void GradingStore::applyFocusAndMaybeLevel(const Uuid& studentID, SectionID section,
                                           const std::optional<Level>& level) {
    if (level) {
        setLevel(level, studentID, section);
        return;
    }
    commitFocus("→ " + std::string(sections::title(section)), Focus{studentID, section});
}

void GradingStore::stepStudent(int delta) {
    const auto& students = m_session.students;
    if (students.empty()) {
        log(FeedItem::Kind::warning, "No roster loaded");
        return;
    }
    const bool next = delta >= 1;
    const auto current = m_session.index(m_session.focus.studentID);
    const long long target = current ? static_cast<long long>(*current) + delta
                                     : (next ? 0 : static_cast<long long>(students.size()) - 1);
    if (target < 0 || target >= static_cast<long long>(students.size())) {
        log(FeedItem::Kind::warning,
            next ? "Already at the last student" : "Already at the first student");
        return;
    }
    focusStudent(students[static_cast<std::size_t>(target)].id);
}

void GradingStore::stepSection(int delta) {
    const Focus focus = m_session.focus;
    if (!focus.studentID) {
        log(FeedItem::Kind::warning, "Pick a student first");
        return;
    }
    const bool next = delta >= 1;
    const int last = static_cast<int>(sections::allCases.size()) - 1;
    const int target = focus.section ? static_cast<int>(*focus.section) + delta : (next ? 0 : last);
    if (target < 0 || target > last) {
        log(FeedItem::Kind::warning,
            next ? "Already at the last section" : "Already at the first section");
        return;
    }
    const SectionID section = sections::allCases[static_cast<std::size_t>(target)];
    commitFocus("→ " + std::string(sections::title(section)), Focus{focus.studentID, section});
}

void GradingStore::commitFocus(std::string label, Focus focus) {
    commit(std::move(label), CommitOptions{}, [&](Session& session) { session.focus = focus; });
}

std::string GradingStore::studentName(const Uuid& id) const {
    const auto i = m_session.index(id);
    return i ? m_session.students[*i].name : std::string();
}

std::string GradingStore::pendingQuestion() const {
    if (!m_voice.pending) {
        return {};
    }
    return std::visit(Overloaded{
                          [&](const pending::WhichStudent& p) {
                              std::string names;
                              for (const Uuid& id : p.ids) {
                                  if (const auto i = m_session.index(id)) {
                                      names += (names.empty() ? "" : " or ") +
                                               m_session.students[*i].name;
                                  }
                              }
                              return "Which one: " + names + "?";
                          },
                          [&](const pending::SectionNeedsStudent& p) {
                              std::string text(sections::shortTitle(p.section));
                              if (p.level) {
                                  text += " → " + std::string(levels::title(*p.level));
                              }
                              return text + " — which student?";
                          },
                          [&](const pending::LevelNeedsSection& p) {
                              return quotedLevel(p.level) + (m_session.focus.studentID
                                                                 ? " — for which section?"
                                                                 : " — which student and section?");
                          },
                      },
                      *m_voice.pending);
}

void GradingStore::setVoicePaused(bool paused) {
    m_thread.check();
    if (paused) {
        execute(commands::PauseListening{});
    } else {
        execute(commands::ResumeListening{});
    }
}

void GradingStore::setPending(std::optional<Pending> pending) {
    if (pending == m_voice.pending) {
        return;
    }
    m_voice.pending = std::move(pending);
    changed(StoreField::pending);
}

void GradingStore::ask() {
    log(FeedItem::Kind::question, pendingQuestion());
}

void GradingStore::setVoicePausedFlag(bool paused) {
    if (paused == m_voice.paused) {
        return;
    }
    m_voice.paused = paused;
    changed(StoreField::voicePaused);
}

} // namespace kelvarn
