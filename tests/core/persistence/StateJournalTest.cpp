#include "engine/GradingStore.h"
#include "persistence/DataFolderStorage.h"
#include "persistence/FileIO.h"
#include "persistence/JournalFrames.h"
#include "persistence/JournalRecord.h"
#include "persistence/ReadOnlyFolderStorage.h"
#include "persistence/SavedStateJson.h"
#include "persistence/StateFingerprint.h"
#include "support/Fixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using testing::FakeClock;

class StateJournalTest : public ::testing::Test {
protected:
    fs::path folder() const { return temp.path() / "Kelvarn"; }
    fs::path file(const std::string& name) const { return folder() / name; }
    std::string read(const std::string& name) const {
        const auto text = readWholeFile(file(name));
        return text ? text.value() : std::string("<unreadable>");
    }
    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(folder());
        std::ofstream(file(name), std::ios::binary | std::ios::trunc) << text;
    }
    // What a launch loads, without writing anything: session.json with the journal on top.
    SavedState loaded() const {
        GradingStore store(std::make_unique<ReadOnlyFolderStorage>(folder()));
        return stateOf(store);
    }
    static SavedState stateOf(const GradingStore& store) {
        SavedState state{store.session(), {}};
        const std::size_t size = store.undoStack().size();
        for (std::size_t i = size - std::min(size, GradingStore::savedUndoEntries); i < size; ++i) {
            state.undo.push_back(store.undoStack()[i]);
        }
        // As the file holds it: dates to the precision the file keeps.
        return decodeSavedState(encodeSavedState(state)).value();
    }
    static std::vector<std::string> feedTexts(const GradingStore& store) {
        std::vector<std::string> texts;
        for (const FeedItem& item : store.feed()) {
            texts.push_back(item.text);
        }
        return texts;
    }

    testing::TempFolder temp;
    FakeClock clock;
};

// Every kind of change, made at random, comes back from session.json and the journal exactly as
// the store holds it: grading, typing (coalesced), dictation and its fixing, undo, roster loads,
// focus moves, and rewrites of session.json in between.
TEST_F(StateJournalTest, EveryKindOfChangeReplaysToTheStateTheStoreHeld) {
    std::mt19937 random(20261208);
    GradingStore store(folder(), clock.clock());
    store.loadRoster({RosterName{"Nadia Ford"}, RosterName{"Omar Haddad"}});
    int rosterLoads = 0;
    for (int i = 0; i < 400; ++i) {
        const auto& students = store.session().students;
        const Uuid id = students[random() % students.size()].id;
        const SectionID section = sections::allCases[random() % 6];
        switch (random() % 9) {
        case 0:
        case 1:
            store.setLevel(levels::allCases[random() % 4], id, section);
            break;
        case 2:
        case 3:
            store.editNotes("typed " + std::to_string(i), SectionNotes{id, section});
            break;
        case 4:
            store.undo();
            break;
        case 5:
            store.focusStudent(id);
            store.handleTranscript("note " + std::to_string(i));
            if (random() % 2 == 0 && store.canFixLastUtterance()) {
                store.fixLastUtterance("complete", false); // rewinds the note, grades instead
            }
            break;
        case 6:
            if (random() % 8 == 0) {
                store.loadRoster({RosterName{"Student " + std::to_string(++rosterLoads)}});
            } else {
                store.execute(commands::NextStudent{});
            }
            break;
        case 7:
            store.replaceNotes({{OverallNotes{id}, "tidied " + std::to_string(i)}}, "Tidied");
            break;
        default:
            if (random() % 10 == 0) {
                store.compact();
            }
            break;
        }
        clock.advance(random() % 3 == 0 ? 1.0 : 6.0);
        // Every load replays every change since the last rewrite, so a change that came out
        // wrong shows at the next look.
        if (i % 8 == 7) {
            ASSERT_EQ(loaded(), stateOf(store)) << "after step " << i;
        }
    }
    EXPECT_GT(store.undoStack().size(), GradingStore::savedUndoEntries)
        << "the history must have passed what the file keeps";
}

// A keystroke in a long note journals what it typed, wherever in the note and whatever the
// characters around it, and the note comes back exactly.
TEST_F(StateJournalTest, TypingIntoALongNoteJournalsWhatWasTyped) {
    GradingStore store(folder(), clock.clock());
    store.loadRoster({RosterName{"Zoë Park"}});
    const NotesTarget target = SectionNotes{store.session().students[0].id, SectionID::evidence};
    const std::string long_(5000, 'x');
    store.editNotes(long_ + "é", target);
    store.compact();
    const std::vector<std::string> edits = {
        long_ + "ék",          // typed at the end
        "Zoë " + long_ + "ék", // at the start
        "Zoë " + long_ + "èk", // one character for another that shares its first byte
        "Zoë " + long_.substr(0, 10) + "ß" + long_.substr(2000) + "èk", // a middle replaced
        "Zoë",                                                          // most of it deleted
        "ü",
    };
    for (const std::string& text : edits) {
        const std::size_t before = read("session.journal").size();
        store.editNotes(text, target);
        clock.advance(1);
        const std::size_t grown = read("session.journal").size() - before;
        EXPECT_LT(grown, 400u) << text.size() << " bytes of notes";
        const SavedState saved = loaded();
        EXPECT_EQ(saved.session.notes(target), text);
        EXPECT_EQ(saved, stateOf(store));
    }
}

TEST_F(StateJournalTest, AClassFromAnOlderVersionWithoutAJournalLoadsUnchanged) {
    SavedState saved{testing::sessionWithStudents({"Nadia Ford", "Omar Haddad"}), {}};
    saved.session.students.edit(0).overallNotes = "kept";
    const std::string text = encodeSavedState(saved);
    write("session.json", text);
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_EQ(stateOf(store), saved);
        EXPECT_TRUE(store.feed().empty()) << feedTexts(store).front();
    }
    EXPECT_EQ(read("session.json"), text) << "loading alone rewrites nothing";
}

// The moments of a rewrite a crash can land between: the journal names the new file, then the
// file replaces the old one, then a new journal begins. Each leaves a folder that loads whole.
TEST_F(StateJournalTest, ACrashAtAnyStepOfARewriteLosesNothing) {
    write("session.json", encodeSavedState({testing::sessionWithStudents({"Nadia Ford"}), {}}));
    const auto grade = [&](GradingStore& store, Level level) {
        store.setLevel(level, store.session().students[0].id, SectionID::intro);
        clock.advance(6);
    };
    std::string oldFile;
    std::string oldJournal;
    std::string newFile;
    std::string laterFrame;
    SavedState expected;
    {
        GradingStore store(folder(), clock.clock());
        grade(store, Level::complete);
        grade(store, Level::mostly);
        oldFile = read("session.json");
        oldJournal = read("session.journal");
        store.compact();
        newFile = read("session.json");
        ASSERT_NE(newFile, oldFile);
        const std::string fresh = read("session.journal");
        grade(store, Level::somewhat);
        laterFrame = read("session.journal").substr(fresh.size());
        expected = stateOf(store);
    }
    const std::string checkpoint =
        journalFrame(journalPayload(JournalCheckpoint{2, StateFingerprint::of(newFile)}));
    struct Moment {
        const char* name;
        std::string file;
        std::string journal;
    };
    const std::vector<Moment> moments = {
        {"checkpoint written, file not yet replaced", oldFile,
         oldJournal + checkpoint + laterFrame},
        {"file replaced, journal not yet begun anew", newFile,
         oldJournal + checkpoint + laterFrame},
        {"a change came before the checkpoint", newFile, oldJournal + laterFrame + checkpoint},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(moment.name);
        write("session.json", moment.file);
        write("session.journal", moment.journal);
        EXPECT_EQ(loaded(), expected);
    }
}

TEST_F(StateJournalTest, ATornEndIsDroppedAndDamageIsKeptAside) {
    write("session.json", encodeSavedState({testing::sessionWithStudents({"Nadia Ford"}), {}}));
    std::vector<SavedState> states;
    std::vector<std::size_t> ends;
    {
        GradingStore store(folder(), clock.clock());
        const Uuid nadia = store.session().students[0].id;
        states.push_back(stateOf(store));
        ends.push_back(read("session.journal").size());
        for (const Level level : levels::allCases) {
            store.setLevel(level, nadia, SectionID::claims);
            clock.advance(6);
            states.push_back(stateOf(store));
            ends.push_back(read("session.journal").size());
        }
        // Killed here: nothing rewrites session.json.
        fs::copy(file("session.journal"), temp.path() / "journal",
                 fs::copy_options::overwrite_existing);
        fs::copy(file("session.json"), temp.path() / "file", fs::copy_options::overwrite_existing);
    }
    const std::string journal = readWholeFile(temp.path() / "journal").value();
    const std::string original = readWholeFile(temp.path() / "file").value();
    const auto reset = [&](const std::string& journalText) {
        fs::remove_all(folder());
        write("session.json", original);
        write("session.journal", journalText);
    };

    reset(journal.substr(0, ends[4] - 5));
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_EQ(stateOf(store), states[3]) << "the torn change is dropped";
        EXPECT_EQ(feedTexts(store),
                  std::vector<std::string>{"Recovered 3 changes from session.journal that the last "
                                           "run had not yet written into session.json."});
        store.setLevel(Level::complete, store.session().students[0].id, SectionID::evidence);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), {}), 3)
        << "session, journal, log, nothing set aside";
    EXPECT_EQ(loaded().session.students[0].grade(SectionID::evidence).level, Level::complete)
        << "a change after the torn end is kept";

    std::string damaged = journal;
    damaged[ends[2] + 20] ^= 0x10; // inside the third change
    reset(damaged);
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_EQ(stateOf(store), states[2]);
        ASSERT_EQ(store.feed().size(), 1u) << feedTexts(store).back();
        EXPECT_EQ(store.feed()[0].kind, FeedItem::Kind::warning);
        EXPECT_NE(store.feed()[0].text.find("could not be read (a damaged record); it was kept as "
                                            "session-journal-unreadable-"),
                  std::string::npos)
            << store.feed()[0].text;
        EXPECT_NE(store.feed()[0].text.find("The 2 changes before it were recovered."),
                  std::string::npos)
            << store.feed()[0].text;
    }
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(folder())) {
        if (entry.path().filename().string().starts_with("session-journal-unreadable-")) {
            ++kept;
            EXPECT_EQ(readWholeFile(entry.path()).value(), damaged) << "kept whole";
        }
    }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(loaded(), states[2]) << "the next launch starts from what was recovered";
}

TEST_F(StateJournalTest, AJournalOfAnotherSessionFileIsDiscarded) {
    write("session.json", encodeSavedState({testing::sessionWithStudents({"Nadia Ford"}), {}}));
    std::string journal;
    {
        GradingStore store(folder(), clock.clock());
        store.setLevel(Level::complete, store.session().students[0].id, SectionID::claims);
        journal = read("session.journal"); // as a crash leaves it
    }
    fs::remove(file("actions.log"));
    // Another program (or an older Kelvarn) wrote session.json since.
    const SavedState theirs{testing::sessionWithStudents({"Omar Haddad"}), {}};
    write("session.json", encodeSavedState(theirs));
    write("session.journal", journal.substr(0, journal.size() - 1) + "x" /* and not even whole */);
    EXPECT_EQ(loaded(), theirs);
    GradingStore store(folder(), clock.clock());
    EXPECT_EQ(stateOf(store), theirs);
    EXPECT_TRUE(store.feed().empty()) << feedTexts(store).front();
}

TEST_F(StateJournalTest, AJournalThatIsALinkIsNeverFollowed) {
    write("session.json", encodeSavedState({testing::sessionWithStudents({"Nadia Ford"}), {}}));
    write("elsewhere", "someone else's file");
    fs::create_symlink(file("elsewhere"), file("session.journal"));
    {
        GradingStore store(folder(), clock.clock());
        ASSERT_EQ(store.feed().size(), 1u);
        EXPECT_NE(store.feed()[0].text.find("symbolic link"), std::string::npos)
            << store.feed()[0].text;
        store.setLevel(Level::complete, store.session().students[0].id, SectionID::claims);
    }
    EXPECT_EQ(read("elsewhere"), "someone else's file");
    EXPECT_EQ(fs::symlink_status(file("session.journal")).type(), fs::file_type::regular);
    EXPECT_EQ(fs::status(file("session.journal")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(loaded().session.students[0].grade(SectionID::claims).level, Level::complete);
}

} // namespace
} // namespace kelvarn
