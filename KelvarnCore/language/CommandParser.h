#pragma once

#include "language/Command.h"
#include "language/NameKey.h"
#include "language/NameMatch.h"
#include "language/ParsedSentence.h"
#include "language/PhraseTable.h"
#include "support/Uuid.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// One student as the parser sees it, in the session's order.
struct RosterEntry {
    Uuid id;
    std::string name;
    // The words of the name that are the surname, when the roster said so.
    std::optional<std::string> surname = std::nullopt;
};

namespace detail {
struct ParserRoster;
}

// The voice command language: cuts an utterance into sentences and
// reads each as commands, a note, a correction or filler; matches spoken student names.
//
// An immutable value built from the roster; the grading store builds a new one whenever the
// set of students can have changed. Copies are cheap and share the roster data. Every member
// function is a pure function of its arguments and the roster, safe from any thread. Texts
// are UTF-8; invalid sequences are read as U+FFFD.
class CommandParser final {
public:
    explicit CommandParser(const std::vector<RosterEntry>& roster = {});

    // The phrase table: section aliases, level aliases, command phrases (64 entries; the same
    // for every roster).
    const std::vector<PhraseEntry>& phrases() const { return phrase_table::phrases(); }
    // Every phrase token but the connecting words (48 words).
    const std::set<std::string>& commandWords() const { return phrase_table::commandWords(); }
    // Student by student in roster order; a name without tokens has none.
    const std::vector<NameKey>& nameKeys() const;
    // The most tokens of any roster name, at least 1.
    std::size_t maxNameTokens() const;
    // The 32 filler words, shared by all parsers.
    static const std::set<std::string>& fillers() { return phrase_table::fillers(); }

    // The one word-splitting rule: case and diacritics folded as for "en_US", apostrophes
    // (' and ’) dropped, lower-cased, split at everything but letters, marks and numbers.
    static std::vector<std::string> tokenize(std::string_view text);
    // Cut after every ".", "?", "!", ";" and line feed (which stay with their sentence);
    // trimmed; empty pieces dropped.
    static std::vector<std::string> sentences(std::string_view text);

    ParsedSentence parseSentence(std::string_view sentence) const;
    // sentences(text), each parsed; nothing for an empty or blank text.
    std::vector<ParsedSentence> parse(std::string_view text) const;
    // True when every sentence of the text reads as commands (names included): what a
    // recogniser prefers among readings that score alike.
    bool readsAsCommands(std::string_view text) const;
    // The cheapest cover of the tokens by fillers (if allowed), phrases and names; nothing when
    // some token fits none of them, an empty list for no tokens.
    std::optional<std::vector<Command>> segment(const std::vector<std::string>& tokens,
                                                bool allowFillers) const;

    // The students a span of heard words (tokens joined by single spaces) names.
    NameMatch matchName(std::string_view text) const;
    // The candidates named anywhere in the text, by the longest spans that name any.
    std::vector<Uuid> studentsMentioned(std::string_view text,
                                        const std::vector<Uuid>& candidates) const;
    // Every phrase text and name key, once each, in ascending order: hints for the recogniser.
    std::vector<std::string> vocabulary() const;

private:
    std::shared_ptr<const detail::ParserRoster> m_roster;
};

} // namespace kelvarn
