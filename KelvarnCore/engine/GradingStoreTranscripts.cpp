// The road of one final transcript: corrections, the heard line, parsing, commands and notes;
// and fixing the last heard line afterwards.
#include "engine/GradingStore.h"

#include "support/Overloaded.h"
#include "support/Unicode.h"

#include <algorithm>

namespace kelvarn {

namespace {

bool containsResume(const std::vector<Command>& commands) {
    for (const Command& command : commands) {
        if (std::holds_alternative<commands::ResumeListening>(command)) {
            return true;
        }
    }
    return false;
}

} // namespace

void GradingStore::handleTranscript(std::string_view text) {
    m_thread.check();
    const Batch batch(m_observers);
    process(text, true);
}

void GradingStore::process(std::string_view rawText, bool applyingCorrections) {
    const std::string trimmed = unicode::trimWhitespace(unicode::repairUtf8(rawText));
    if (trimmed.empty()) {
        return;
    }
    const std::string text =
        applyingCorrections ? Correction::apply(m_corrections.rules(), trimmed) : trimmed;
    const std::vector<ParsedSentence> sentences = m_parser.parse(text);
    // While paused only "resume listening" is heard, and nothing else said with it.
    const bool resumes = std::any_of(sentences.begin(), sentences.end(), [](const auto& sentence) {
        const auto* list = std::get_if<parsed::Commands>(&sentence);
        return list != nullptr && containsResume(list->commands);
    });
    const bool ignored = m_voice.paused && !resumes;
    // Show what was acted on, and what was really heard when a rule rewrote it; a line heard
    // while paused says it did nothing.
    std::string line = text == trimmed ? text : text + "   (heard “" + trimmed + "”)";
    if (ignored) {
        line += "   (ignored — paused)";
    }
    log(FeedItem::Kind::heard, line);
    m_voice.lastUtterance = HeardUtterance{m_feed.back().id, text,           m_undoSerial,
                                           m_voice.pending,  m_voice.paused, m_changeCounter};
    changed(StoreField::lastUtterance);

    if (m_voice.paused) {
        if (resumes) {
            run(commands::ResumeListening{});
        }
    } else {
        // Consecutive dictated sentences are filed as one note.
        std::vector<std::string> noteBuffer;
        for (const ParsedSentence& sentence : sentences) {
            runSentence(sentence, noteBuffer);
        }
        flushNotes(noteBuffer);
    }

    if (m_voice.lastUtterance) {
        m_voice.lastUtterance->changeAfter = m_changeCounter;
        changed(StoreField::lastUtterance);
    }
}

void GradingStore::runSentence(const ParsedSentence& sentence,
                               std::vector<std::string>& noteBuffer) {
    std::visit(Overloaded{
                   [&](const parsed::Commands& list) {
                       flushNotes(noteBuffer);
                       m_voice.correctionArmed = false;
                       for (const Command& command : list.commands) {
                           std::visit([this](const auto& c) { run(c); }, command);
                           // What follows was meant for a student who is not there.
                           if (std::holds_alternative<commands::NoSuchStudent>(command)) {
                               break;
                           }
                       }
                   },
                   [&](const parsed::Note& note) {
                       if (const auto* which = whichStudentPending()) {
                           const auto named = m_parser.studentsMentioned(note.text, which->ids);
                           if (named.size() == 1) {
                               run(commands::Student{named.front()});
                               return;
                           }
                       }
                       noteBuffer.push_back(note.text);
                   },
                   [&](const parsed::Correction& correction) {
                       flushNotes(noteBuffer);
                       if (!correction.text.empty()) {
                           replaceLastNote(correction.text);
                           return;
                       }
                       m_voice.correctionArmed = true;
                       log(FeedItem::Kind::action,
                           "✎ Correction — say the replacement for the last note");
                   },
                   [](const parsed::Filler&) {},
               },
               sentence);
}

void GradingStore::flushNotes(std::vector<std::string>& noteBuffer) {
    if (noteBuffer.empty()) {
        return;
    }
    std::string joined;
    for (const auto& note : noteBuffer) {
        joined += (joined.empty() ? "" : " ") + note;
    }
    noteBuffer.clear();
    addNote(joined);
}

void GradingStore::addNote(const std::string& text) {
    if (m_voice.correctionArmed) {
        m_voice.correctionArmed = false;
        replaceLastNote(text);
        return;
    }
    const auto target = currentNotesTarget();
    if (!target) {
        log(FeedItem::Kind::warning, "Not saved (no student focused): “" + text + "”");
        return;
    }
    clearPending();
    const AppendedNote note = appendedNote(m_session.notes(*target), text, *target);
    commit("Note → " + label(*target) + ": “" + note.added + "”",
           CommitOptions::dictation(UndoEntry::Kind::note),
           [&](Session& session) { session.setNotes(note.notes, *target); });
}

GradingStore::AppendedNote GradingStore::appendedNote(const std::string& base,
                                                      const std::string& text,
                                                      const NotesTarget& target) {
    const std::string notes = base.empty() ? text : base + " " + text;
    std::string kept = withinNoteLimit(notes, target);
    // What the feed quotes is what was kept.
    std::string added =
        kept.size() > base.size() ? kept.substr(notes.size() - text.size()) : std::string();
    return {std::move(kept), std::move(added)};
}

void GradingStore::replaceLastNote(const std::string& text) {
    const auto target = currentNotesTarget();
    if (m_undoStack.empty() || !m_undoStack.back().isNote() || !target) {
        log(FeedItem::Kind::warning, "Nothing to correct — “correction” replaces the last note, "
                                     "right after dictating it");
        return;
    }
    // The notes as they were before the last dictated note. A correction of a correction
    // looks past the earlier correction to that note, so the text it replaced stays gone.
    std::size_t before = m_undoStack.size() - 1;
    while (m_undoStack[before].kind == UndoEntry::Kind::correction && before > 0 &&
           m_undoStack[before - 1].isNote()) {
        --before;
    }
    const AppendedNote note =
        appendedNote(m_undoStack[before].session.notes(*target), text, *target);
    commit(std::string(correctedNoteLabelPrefix) + label(*target) + ": “" + note.added + "”",
           CommitOptions::dictation(UndoEntry::Kind::correction),
           [&](Session& session) { session.setNotes(note.notes, *target); });
}

bool GradingStore::canFixLastUtterance() const {
    return m_voice.lastUtterance && m_voice.lastUtterance->changeAfter == m_changeCounter;
}

void GradingStore::fixLastUtterance(const std::string& corrected, bool remember) {
    m_thread.check();
    const Batch batch(m_observers);
    if (!canFixLastUtterance()) {
        log(FeedItem::Kind::warning, "Can't re-run that line — something changed since. Edit the "
                                     "notes directly instead.");
        return;
    }
    const HeardUtterance heard = *m_voice.lastUtterance;

    // Exactly the entries this utterance pushed carry serials above the one it started from.
    Session restored = m_session;
    while (!m_undoStack.empty() && m_undoStack.back().serialOrZero() > heard.serialBefore) {
        restored = m_undoStack.popNewest().session;
        changed(StoreField::undoStack);
    }
    install(std::move(restored));
    setPending(heard.pendingBefore);
    setVoicePausedFlag(heard.pausedBefore);
    m_voice.correctionArmed = false;
    save();

    if (remember) {
        if (const auto rule = Correction::suggested(heard.text, corrected)) {
            addCorrection(*rule);
        }
    }
    log(FeedItem::Kind::action, "✎ Fixed “" + heard.text + "” → “" + corrected + "”");
    process(corrected, false);
}

} // namespace kelvarn
