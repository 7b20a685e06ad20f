// The road of one final transcript: corrections, the heard line, parsing, commands and notes;
// and fixing the last heard line afterwards.
#include "engine/GradingStore.h"

#include "support/Overloaded.h"
#include "support/Unicode.h"

namespace kelvarn {

namespace {

const std::string correctedNotePrefix = "✎ Corrected note → ";

bool containsResume(const std::vector<Command>& commands) {
    for (const Command& command : commands) {
        if (std::holds_alternative<commands::ResumeListening>(command)) {
            return true;
        }
    }
    return false;
}

} // namespace

void GradingStore::process(std::string_view rawText, bool applyingCorrections) {
    const std::string trimmed = unicode::trimWhitespace(unicode::repairUtf8(rawText));
    if (trimmed.empty()) {
        return;
    }
    const std::string text =
        applyingCorrections ? Correction::apply(m_corrections, trimmed) : trimmed;
    // Show what was acted on, and what was really heard when a rule rewrote it.
    log(FeedItem::Kind::heard, text == trimmed ? text : text + "   (heard “" + trimmed + "”)");
    m_lastUtterance = HeardUtterance{m_feed.back().id, text,          m_undoSerial,
                                     m_pending,        m_voicePaused, m_changeCounter};
    notify(StoreField::lastUtterance);

    std::vector<std::string> noteBuffer;
    const auto flushNotes = [&] {
        if (noteBuffer.empty()) {
            return;
        }
        std::string joined;
        for (const auto& note : noteBuffer) {
            joined += (joined.empty() ? "" : " ") + note;
        }
        noteBuffer.clear();
        addNote(joined);
    };

    for (const ParsedSentence& sentence : m_parser.parse(text)) {
        if (m_voicePaused) {
            // While paused only "resume listening" is heard, and nothing else said with it.
            const auto* list = std::get_if<parsed::Commands>(&sentence);
            if (list && containsResume(list->commands)) {
                execute(commands::ResumeListening{});
            }
            continue;
        }
        std::visit(Overloaded{
                       [&](const parsed::Commands& list) {
                           flushNotes();
                           m_correctionArmed = false;
                           for (const Command& command : list.commands) {
                               execute(command);
                           }
                       },
                       [&](const parsed::Note& note) {
                           const auto* which = m_pending
                                                   ? std::get_if<pending::WhichStudent>(&*m_pending)
                                                   : nullptr;
                           if (which) {
                               const auto named = m_parser.studentsMentioned(note.text, which->ids);
                               if (named.size() == 1) {
                                   execute(commands::Student{named.front()});
                                   return;
                               }
                           }
                           noteBuffer.push_back(note.text);
                       },
                       [&](const parsed::Correction& correction) {
                           flushNotes();
                           if (!correction.text.empty()) {
                               replaceLastNote(correction.text);
                               return;
                           }
                           m_correctionArmed = true;
                           log(FeedItem::Kind::action,
                               "✎ Correction — say the replacement for the last note");
                       },
                       [](const parsed::Filler&) {},
                   },
                   sentence);
    }
    flushNotes();

    if (m_lastUtterance) {
        m_lastUtterance->changeAfter = m_changeCounter;
        notify(StoreField::lastUtterance);
    }
}

void GradingStore::addNote(const std::string& text) {
    if (m_correctionArmed) {
        m_correctionArmed = false;
        replaceLastNote(text);
        return;
    }
    const auto target = currentNotesTarget();
    if (!target) {
        log(FeedItem::Kind::warning, "Not saved (no student focused): “" + text + "”");
        return;
    }
    clearPending();
    commit("Note → " + label(*target) + ": “" + text + "”", std::nullopt, FeedItem::Kind::note,
           true, true, [&](Session& session) {
               const std::string old = session.notes(*target);
               session.setNotes(old.empty() ? text : old + " " + text, *target);
           });
}

void GradingStore::replaceLastNote(const std::string& text) {
    const auto target = currentNotesTarget();
    const auto& entries = m_undoStack.entries();
    if (entries.empty() || !entries.back().isNote || !target) {
        log(FeedItem::Kind::warning, "Nothing to correct — “correction” replaces the last note, "
                                     "right after dictating it");
        return;
    }
    // The notes as they were before the last dictated note. A correction of a correction
    // looks past the earlier correction to that note, so the text it replaced stays gone.
    auto before = entries.rbegin();
    while (before->label.starts_with(correctedNotePrefix) && std::next(before) != entries.rend() &&
           std::next(before)->isNote) {
        ++before;
    }
    const std::string base = before->session.notes(*target);
    commit(correctedNotePrefix + label(*target) + ": “" + text + "”", std::nullopt,
           FeedItem::Kind::note, true, true, [&](Session& session) {
               session.setNotes(base.empty() ? text : base + " " + text, *target);
           });
}

bool GradingStore::canFixLastUtterance() const {
    return m_lastUtterance && m_lastUtterance->changeAfter == m_changeCounter;
}

void GradingStore::fixLastUtterance(const std::string& corrected, bool remember) {
    if (!canFixLastUtterance()) {
        log(FeedItem::Kind::warning, "Can't re-run that line — something changed since. Edit the "
                                     "notes directly instead.");
        return;
    }
    const HeardUtterance heard = *m_lastUtterance;

    // Exactly the entries this utterance pushed carry serials above the one it started from.
    bool rewound = false;
    while (!m_undoStack.empty() && m_undoStack.newest().serialOrZero() > heard.serialBefore) {
        m_session = m_undoStack.popNewest().session;
        rewound = true;
    }
    if (rewound) {
        notify(StoreField::session);
        notify(StoreField::undoStack);
    }
    setPending(heard.pendingBefore);
    setVoicePausedFlag(heard.pausedBefore);
    m_correctionArmed = false;
    ++m_changeCounter;
    notify(StoreField::changeCounter);
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
