#include "language/PhraseTable.h"

#include "language/CommandParser.h"

#include <utility>

namespace kelvarn::phrase_table {

namespace {

std::vector<PhraseEntry> buildPhrases() {
    std::vector<PhraseEntry> table;
    const auto add = [&](std::string_view phrase, Command command) {
        table.push_back({CommandParser::tokenize(phrase), std::move(command)});
    };
    for (SectionID section : sections::allCases) {
        for (const std::string& alias : sections::spokenAliases(section)) {
            add(alias, commands::Section{section});
        }
    }
    for (Level level : levels::allCases) {
        for (const std::string& alias : levels::spokenAliases(level)) {
            add(alias, commands::Level{level});
        }
    }
    const auto group = [&](std::initializer_list<std::string_view> phrases, Command command) {
        for (std::string_view phrase : phrases) {
            add(phrase, command);
        }
    };
    group({"undo", "undo that", "undo last", "undo the last", "scratch that"}, commands::Undo{});
    group({"unfocus", "un focus", "unfocused", "on focus", "back", "go back", "go up", "back up"},
          commands::Unfocus{});
    group({"next student"}, commands::NextStudent{});
    group({"previous student", "last student", "prior student"}, commands::PreviousStudent{});
    group({"next section"}, commands::NextSection{});
    group({"previous section", "last section", "prior section"}, commands::PreviousSection{});
    group({"pause listening", "stop listening"}, commands::PauseListening{});
    group({"resume listening", "start listening"}, commands::ResumeListening{});
    group({"clear notes", "clear note", "clear the notes", "delete notes", "delete the notes"},
          commands::ClearNotes{});
    group({"cancel", "never mind", "nevermind"}, commands::Cancel{});
    return table;
}

} // namespace

const std::vector<PhraseEntry>& phrases() {
    static const std::vector<PhraseEntry> table = buildPhrases();
    return table;
}

const std::set<std::string>& commandWords() {
    static const std::set<std::string> words = [] {
        static const std::set<std::string> connecting{"of",   "and",  "the", "that", "to",
                                                      "up",   "on",   "in",  "not",  "some",
                                                      "what", "last", "full"};
        std::set<std::string> out;
        for (const PhraseEntry& entry : phrases()) {
            for (const std::string& token : entry.tokens) {
                if (!connecting.contains(token)) {
                    out.insert(token);
                }
            }
        }
        return out;
    }();
    return words;
}

const std::set<std::string>& fillers() {
    static const std::set<std::string> words{
        "um", "uh",      "uhm", "umm",     "er",      "erm",  "hmm",   "okay",
        "ok", "alright", "all", "right",   "so",      "now",  "and",   "then",
        "go", "to",      "the", "student", "section", "mark", "grade", "level",
        "as", "lets",    "let", "s",       "please",  "move", "on",    "for"};
    return words;
}

} // namespace kelvarn::phrase_table
