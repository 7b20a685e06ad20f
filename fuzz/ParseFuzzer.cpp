// CommandParser on arbitrary bytes. Input: optional roster lines, a blank line, then the
// utterance; without a blank line, the whole input is the utterance for a fixed roster.
#include "FuzzChecks.h"
#include "language/CommandParser.h"

#include <algorithm>

using namespace kelvarn;

namespace {

const std::vector<RosterEntry>& fixedRoster() {
    static const std::vector<RosterEntry> roster = [] {
        std::vector<RosterEntry> out;
        for (const char* name :
             {"Nadia Ford", "Nadia Lowe", "Ford", "Mark", "Anna Maria López García", "Zoë Ñúñez",
              "Đặng Văn Minh", "O’Brien", "Mc Donald", "Student", "אבי כהן", "!!!", "", "Jo Ann",
              "Catherine"}) {
            out.push_back({Uuid::generate(), name});
        }
        return out;
    }();
    return roster;
}

void checkCommands(const std::vector<Command>& commands, const std::vector<RosterEntry>& roster) {
    const auto known = [&](const Uuid& id) {
        return std::any_of(roster.begin(), roster.end(),
                           [&](const RosterEntry& entry) { return entry.id == id; });
    };
    for (const Command& command : commands) {
        if (const auto* student = std::get_if<commands::Student>(&command)) {
            fuzz::require(known(student->id), "student command names a roster id");
        }
        if (const auto* ambiguous = std::get_if<commands::AmbiguousStudent>(&command)) {
            fuzz::require(ambiguous->ids.size() >= 2, "ambiguous names two or more");
            for (const Uuid& id : ambiguous->ids) {
                fuzz::require(known(id), "ambiguous command names roster ids");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<RosterEntry> roster = fixedRoster();
    std::string_view utterance = input;
    if (const std::size_t blank = input.find("\n\n"); blank != std::string_view::npos) {
        roster.clear();
        for (const std::string& name : fuzz::split(input.substr(0, blank), '\n', 60)) {
            roster.push_back({Uuid::generate(), name});
        }
        utterance = input.substr(blank + 2);
    }
    const CommandParser parser(roster);
    fuzz::require(parser.maxNameTokens() >= 1, "maxNameTokens at least 1");

    for (const ParsedSentence& sentence : parser.parse(utterance)) {
        if (const auto* list = std::get_if<parsed::Commands>(&sentence)) {
            fuzz::require(!list->commands.empty(), "commands are never empty");
            checkCommands(list->commands, roster);
        } else if (const auto* note = std::get_if<parsed::Note>(&sentence)) {
            fuzz::require(!note->text.empty(), "a note has text");
            fuzz::requireValidUtf8(note->text, "note is UTF-8");
        } else if (const auto* correction = std::get_if<parsed::Correction>(&sentence)) {
            fuzz::requireValidUtf8(correction->text, "correction is UTF-8");
        }
    }
    for (const std::string& token : CommandParser::tokenize(utterance)) {
        fuzz::require(!token.empty(), "tokens are never empty");
        fuzz::requireValidUtf8(token, "token is UTF-8");
    }
    const NameMatch match = parser.matchName(utterance.substr(0, 200));
    fuzz::require(match.score >= 0 && match.score <= 1.0, "score between 0 and 1");
    fuzz::require(match.ids.empty() == (match.score == 0), "ids exactly when scored");
    std::vector<Uuid> everyone;
    for (const RosterEntry& entry : roster) {
        everyone.push_back(entry.id);
    }
    const std::vector<Uuid> mentioned =
        parser.studentsMentioned(utterance.substr(0, 300), everyone);
    fuzz::require(mentioned.size() <= everyone.size(), "mentioned students are candidates");
    for (const std::string& word : parser.vocabulary()) {
        fuzz::requireValidUtf8(word, "vocabulary is UTF-8");
    }
    return 0;
}
