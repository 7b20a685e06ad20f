// Replaying session.journal after damage: the input either is a journal of its own or says how
// to damage a real one (where to cut it, which bits to flip). Whatever it holds, replaying never
// crashes, applies each change at most once and in order, and leaves the state after exactly the
// first changes it applied.
#include "FuzzChecks.h"
#include "engine/GradingStore.h"
#include "persistence/FileIO.h"
#include "persistence/JournalReplay.h"
#include "persistence/SavedStateJson.h"

#include <cstdlib>
#include <filesystem>

using namespace kelvarn;
namespace fs = std::filesystem;

namespace {

SavedState stateOf(const GradingStore& store) {
    SavedState state{store.session(), {}};
    for (std::size_t i = 0; i < store.undoStack().size(); ++i) {
        state.undo.push_back(store.undoStack()[i]);
    }
    return decodeSavedState(encodeSavedState(state)).value();
}

// A class graded for a while: session.json, the journal beside it, and the state after each of
// its changes, the first being session.json's own.
struct Recorded {
    std::string file;
    std::string journal;
    std::vector<SavedState> states;
};

const Recorded& recorded() {
    static const Recorded value = [] {
        std::string pattern = (fs::temp_directory_path() / "kelvarn-fuzz-XXXXXX").string();
        fuzz::require(::mkdtemp(pattern.data()) != nullptr, "temporary folder");
        const fs::path folder(pattern);
        TimePoint now = fromSecondsSinceReferenceDate(794412429.0);
        Recorded made;
        {
            GradingStore store(folder, [&] { return now; });
            store.loadRoster({RosterName{"Nadia Ford"}, RosterName{"Omar Haddad"}});
            store.compact();
            made.file = readWholeFile(folder / "session.json").value();
            made.states.push_back(stateOf(store));
            const Uuid nadia = store.session().students[0].id;
            const auto changed = [&] {
                now += std::chrono::seconds(1);
                made.states.push_back(stateOf(store));
            };
            store.setLevel(Level::complete, nadia, SectionID::intro);
            changed();
            store.editNotes("Clear", SectionNotes{nadia, SectionID::intro});
            changed();
            store.editNotes("Clear thesis", SectionNotes{nadia, SectionID::intro});
            changed();
            store.loadRoster({RosterName{"Zoë Park"}});
            changed();
            store.undo();
            changed();
            store.execute(commands::NextStudent{});
            changed();
            store.replaceNotes({{OverallNotes{nadia}, "Tidied."}}, "Tidied notes");
            changed();
            made.journal = readWholeFile(folder / "session.journal").value();
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        return made;
    }();
    return value;
}

std::string damaged(const std::string& journal, std::string_view recipe) {
    if (recipe.size() < 2) {
        return journal;
    }
    const std::size_t cut =
        (static_cast<unsigned char>(recipe[0]) << 8 | static_cast<unsigned char>(recipe[1])) %
        (journal.size() + 1);
    std::string out = journal.substr(0, cut);
    for (std::size_t at = 2; at + 3 <= recipe.size() && !out.empty(); at += 3) {
        const std::size_t position = (static_cast<unsigned char>(recipe[at]) << 8 |
                                      static_cast<unsigned char>(recipe[at + 1])) %
                                     out.size();
        out[position] = static_cast<char>(out[position] ^ recipe[at + 2]);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Recorded& real = recorded();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // An odd first byte: the rest is the journal; an even one: the rest damages the real one.
    const bool own = !input.empty() && (input[0] & 1) != 0;
    const std::string_view rest = input.empty() ? input : input.substr(1);
    const std::string journal = own ? std::string(rest) : damaged(real.journal, rest);

    SavedState state = real.states.front();
    const JournalReplay replay = replayJournal(journal, StateFingerprint::of(real.file), state);
    fuzz::require(replay.applied.size() < real.states.size(), "no more changes than were made");
    for (std::size_t i = 1; i < replay.applied.size(); ++i) {
        fuzz::require(replay.applied[i].serial == replay.applied[i - 1].serial + 1,
                      "each change once, in order");
    }
    fuzz::require(state == real.states[replay.applied.size()],
                  "the state after exactly the changes applied");
    if (!own && journal == real.journal) {
        fuzz::require(replay.applied.size() + 1 == real.states.size() &&
                          replay.outcome == JournalReplay::Outcome::complete,
                      "a whole journal replays whole");
    }
    return 0;
}
