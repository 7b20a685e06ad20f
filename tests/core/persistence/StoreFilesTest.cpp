#include "engine/GradingStore.h"
#include "persistence/FileIO.h"
#include "persistence/ReadOnlyFolderStorage.h"
#include "persistence/SavedStateJson.h"
#include "support/Fixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using testing::FakeClock;

class StoreFilesTest : public ::testing::Test {
protected:
    fs::path folder() const { return temp.path() / "share" / "Kelvarn"; }
    std::string read(const std::string& name) const {
        const auto text = readWholeFile(folder() / name);
        return text ? text.value() : std::string("<unreadable>");
    }
    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(folder());
        std::ofstream(folder() / name, std::ios::binary) << text;
    }
    static SavedState savedWithStudents(const std::vector<std::string>& names) {
        return SavedState{testing::sessionWithStudents(names), {}};
    }
    static std::vector<std::string> feedTexts(const GradingStore& store) {
        std::vector<std::string> texts;
        for (const auto& item : store.feed()) {
            texts.push_back(item.text);
        }
        return texts;
    }

    testing::TempFolder temp;
    FakeClock clock;
};

TEST_F(StoreFilesTest, AStoreWithoutAFolderTouchesNoFile) {
    GradingStore store(std::optional<fs::path>{}, clock.clock());
    store.log(FeedItem::Kind::note, "x");
    store.undo();
    EXPECT_EQ(feedTexts(store), (std::vector<std::string>{"x", "Nothing to undo"}));
}

TEST_F(StoreFilesTest, FirstLaunchCreatesAPrivateFolderAndSavesEveryChange) {
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_TRUE(store.feed().empty());
        EXPECT_TRUE(store.session().students.empty());
        ASSERT_TRUE(fs::is_directory(folder()));
        EXPECT_EQ(fs::status(folder()).permissions() & fs::perms::all, fs::perms::owner_all);
        EXPECT_FALSE(fs::exists(folder() / "session.json")) << "nothing saved before a change";
    }
    write("session.json", encodeSavedState(savedWithStudents({"Nadia Ford"})));
    const Uuid nadia = decodeSavedState(read("session.json")).value().session.students[0].id;
    {
        GradingStore store(folder(), clock.clock());
        store.editNotes("Good thesis", OverallNotes{nadia});
        store.log(FeedItem::Kind::note, "Two\nlines");
    }
    const auto saved = decodeSavedState(read("session.json"));
    ASSERT_TRUE(saved) << saved.error();
    EXPECT_EQ(saved.value().session.students[0].overallNotes, "Good thesis");
    EXPECT_EQ(saved.value().undo.size(), 1u);
    EXPECT_EQ(fs::status(folder() / "session.json").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(read("actions.log"), iso8601(clock.now) + "\tnote\tTwo lines\n")
        << "one entry, one line: text cannot forge entries";
}

TEST_F(StoreFilesTest, TheNewestHundredEntriesAreSavedAndSerialsContinue) {
    write("session.json", encodeSavedState(savedWithStudents({"Nadia Ford"})));
    {
        GradingStore store(folder(), clock.clock());
        const NotesTarget target = OverallNotes{store.session().students[0].id};
        for (int i = 1; i <= 150; ++i) {
            store.editNotes(std::to_string(i), target);
            clock.advance(5);
        }
        EXPECT_EQ(store.undoStack().size(), 150u);
    }
    const auto saved = decodeSavedState(read("session.json"));
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved.value().undo.size(), 100u);
    EXPECT_EQ(saved.value().undo.front().serial, 51);
    EXPECT_EQ(saved.value().undo.back().serial, 150);

    GradingStore reopened(folder(), clock.clock());
    EXPECT_EQ(reopened.undoStack().size(), 100u);
    EXPECT_EQ(reopened.notes(OverallNotes{reopened.session().students[0].id}), "150");
    reopened.editNotes("next", OverallNotes{reopened.session().students[0].id});
    EXPECT_EQ(reopened.undoStack().back().serial, 151);
}

TEST_F(StoreFilesTest, AnUnreadableFileIsSetAsideNeverOverwritten) {
    const std::string damaged = R"({"session":{"students":[],"focus":{}}})"; // no "undo"
    write("session.json", damaged);
    clock.now = fromSecondsSinceReferenceDate(794412429.0); // 2026-03-05T14:07:09Z
    write("session-unreadable-2026-03-05T14-07-09Z.json", "an earlier one");

    GradingStore store(folder(), clock.clock());
    EXPECT_EQ(feedTexts(store),
              (std::vector<std::string>{
                  "Couldn't read the saved grades, so they were set aside in "
                  "session-unreadable-2026-03-05T14-07-09Z-2.json. Nothing was deleted."}));
    EXPECT_EQ(read("session-unreadable-2026-03-05T14-07-09Z-2.json"), damaged);
    EXPECT_EQ(read("session-unreadable-2026-03-05T14-07-09Z.json"), "an earlier one");
    EXPECT_FALSE(fs::exists(folder() / "session.json"));
    EXPECT_NE(read("actions.log").find("\twarning\tCouldn't read the saved grades"),
              std::string::npos);
}

TEST_F(StoreFilesTest, AFileThatCannotBeSetAsideIsNeverSavedOver) {
    // A folder path so long that the set-aside name exceeds the system's path limit, while
    // session.json itself can still be read: the move fails and nothing else does.
    fs::path deep = temp.path();
    while (deep.string().size() < 4096 - 40) {
        deep /= std::string(std::min<std::size_t>(200, 4096 - 41 - deep.string().size()), 'd');
    }
    fs::create_directories(deep);
    const std::string damaged = "not json";
    std::ofstream(deep / "session.json") << damaged;

    GradingStore store(deep, clock.clock());
    ASSERT_EQ(store.feed().size(), 1u);
    EXPECT_EQ(store.feed()[0].kind, FeedItem::Kind::warning);
    EXPECT_EQ(store.feed()[0].text.rfind("Couldn't read the saved grades, and couldn't set them "
                                         "aside (File name too long).",
                                         0),
              0u)
        << store.feed()[0].text;
    store.loadRoster({"Nadia Ford"});
    EXPECT_EQ(store.feed().back().text,
              "Autosave failed: session.json could not be read or set aside, so it is kept as it "
              "is");
    EXPECT_EQ(readWholeFile(deep / "session.json").value(), damaged);
}

TEST_F(StoreFilesTest, ASessionFileThatExistsButCannotBeReadIsNeverTakenForAFirstLaunch) {
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> cases{
        {"a folder", [](const fs::path& path) { fs::create_directory(path); }},
        {"a pipe", [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"an oversized file",
         [](const fs::path& path) {
             std::ofstream(path).close();
             fs::resize_file(path, maxSessionFileBytes + 1); // sparse: costs no disk
         }},
    };
    for (const auto& [what, make] : cases) {
        fs::remove_all(folder());
        fs::create_directories(folder());
        make(folder() / "session.json");
        const auto type = fs::symlink_status(folder() / "session.json").type();

        GradingStore store(folder(), clock.clock());
        ASSERT_EQ(store.feed().size(), 1u) << what;
        EXPECT_EQ(store.feed()[0].text.rfind("Couldn't read the saved grades (", 0), 0u)
            << what << ": " << store.feed()[0].text;
        store.loadRoster({"Nadia Ford"});
        EXPECT_EQ(store.feed().back().text,
                  "Autosave failed: session.json could not be read or set aside, so it is kept "
                  "as it is")
            << what;
        EXPECT_EQ(fs::symlink_status(folder() / "session.json").type(), type) << what;
    }
}

TEST_F(StoreFilesTest, AFailedSaveIsShownButNotLogged) {
    write("session.json", encodeSavedState(savedWithStudents({"Nadia Ford"})));
    GradingStore store(folder(), clock.clock());
    fs::remove(folder() / "session.journal");
    fs::create_directory(folder() / "session.journal"); // renaming over a folder fails

    store.editNotes("x", OverallNotes{store.session().students[0].id});
    ASSERT_EQ(store.feed().size(), 1u);
    EXPECT_EQ(store.feed()[0].text.rfind("Autosave failed: ", 0), 0u);
    EXPECT_EQ(store.notes(OverallNotes{store.session().students[0].id}), "x");
    EXPECT_FALSE(fs::exists(folder() / "actions.log"));
}

TEST_F(StoreFilesTest, AReopenedFolderShowsTheLogsNewestLinesWithoutLoggingThemAgain) {
    {
        GradingStore store(folder(), clock.clock());
        for (std::size_t i = 0; i < GradingStore::maxFeedLines + 5; ++i) {
            store.log(FeedItem::Kind::action, "line " + std::to_string(i));
        }
        store.log(FeedItem::Kind::warning, "last");
    }
    const std::string logged = read("actions.log");
    GradingStore store(folder(), clock.clock());
    ASSERT_EQ(store.feed().size(), GradingStore::maxFeedLines);
    EXPECT_EQ(store.feed().front().text, "line 6");
    EXPECT_EQ(store.feed().back().text, "last");
    EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
    EXPECT_TRUE(store.feed().back().fromEarlierLaunch);
    EXPECT_EQ(read("actions.log"), logged) << "read back, not logged twice";

    store.log(FeedItem::Kind::action, "today");
    EXPECT_EQ(store.feed().size(), GradingStore::maxFeedLines);
    EXPECT_FALSE(store.feed().back().fromEarlierLaunch);
    EXPECT_EQ(read("actions.log"), logged + iso8601(clock.now) + "\taction\ttoday\n");
}

TEST_F(StoreFilesTest, CorrectionRulesLiveInTheirOwnFile) {
    write("corrections.json", "{not json");
    clock.now = fromSecondsSinceReferenceDate(794412429.0); // 2026-03-05T14:07:09Z
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_TRUE(store.corrections().empty());
        ASSERT_EQ(store.feed().size(), 1u);
        EXPECT_EQ(store.feed()[0].text,
                  "Couldn't read the correction rules, so they were set "
                  "aside in corrections-unreadable-2026-03-05T14-07-09Z.json. "
                  "Nothing was deleted.");
        EXPECT_EQ(read("corrections-unreadable-2026-03-05T14-07-09Z.json"), "{not json");
        store.addCorrection(Correction("nadir", "Nadia"));
        EXPECT_EQ(read("corrections.json"),
                  "[{\"id\":\"" + store.corrections()[0].id.toString() +
                      "\",\"heard\":\"nadir\",\"replacement\":\"Nadia\"}]");
    }
    GradingStore reopened(folder(), clock.clock());
    ASSERT_EQ(reopened.corrections().size(), 1u);
    EXPECT_EQ(reopened.corrections()[0].replacement, "Nadia");
    const auto vocabulary = reopened.recognizerVocabulary();
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "Nadia"));
    reopened.removeCorrection(reopened.corrections()[0].id);
    EXPECT_EQ(read("corrections.json"), "[]");
}

TEST_F(StoreFilesTest, ARuleThatCannotBeSavedIsNotReportedAsRemembered) {
    GradingStore store(folder(), clock.clock());
    fs::create_directory(folder() / "corrections.json"); // renaming over a folder fails
    store.addCorrection(Correction("nadir", "Nadia"));
    ASSERT_EQ(store.feed().size(), 1u);
    EXPECT_EQ(store.feed()[0].kind, FeedItem::Kind::warning);
    EXPECT_EQ(store.feed()[0].text.rfind("Couldn't save the correction rules: ", 0), 0u);
    EXPECT_EQ(store.corrections().size(), 1u) << "it still applies for this run";
    EXPECT_EQ(store.writeFailures().size(), 1u);
}

TEST_F(StoreFilesTest, AFolderReadOnlyReadsTheLastSaveAndWritesNothing) {
    write("session.json", encodeSavedState(savedWithStudents({"Nadia Ford"})));
    write("corrections.json", "{not json");
    const auto files = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder())) {
            names.push_back(entry.path().filename().string() + "=" +
                            read(entry.path().filename().string()));
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = files();

    GradingStore store(std::make_unique<ReadOnlyFolderStorage>(folder()), clock.clock());
    EXPECT_EQ(store.session().students[0].name, "Nadia Ford");
    ASSERT_EQ(store.feed().size(), 1u) << "the rules' trouble is said, not mended";
    EXPECT_NE(store.feed()[0].text.find("couldn't set them aside (Kelvarn is already using "),
              std::string::npos)
        << store.feed()[0].text;
    store.loadRoster({"Omar Haddad"});
    store.addCorrection(Correction("nadir", "Nadia"));
    store.flush();
    EXPECT_EQ(store.writeFailures().size(), 2u) << "a change here is never taken for saved";
    EXPECT_EQ(files(), before);
}

// A process killed at any moment during a burst of saves leaves a file that loads.
TEST_F(StoreFilesTest, KilledMidSaveAlwaysLeavesALoadableFile) {
    write("session.json", encodeSavedState(savedWithStudents({"Nadia Ford", "Omar Haddad"})));
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayMicros(0, 4000);
    int roundsThatSaved = 0;
    std::string previousNotes;
    for (int round = 0; round < 200; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            GradingStore store(folder());
            const NotesTarget target = OverallNotes{store.session().students[0].id};
            for (int i = 0;; ++i) {
                store.editNotes(std::string(static_cast<std::size_t>(i % 5000), 'n'), target);
                if (i == 1) {
                    // Saving has begun: the parent's random wait now lands inside the burst.
                    [[maybe_unused]] const auto written = ::write(ready[1], "x", 1);
                }
            }
        }
        ::close(ready[1]);
        char signal = 0;
        const bool started = ::read(ready[0], &signal, 1) == 1;
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "round " << round << ": the child died before saving";
        // What the next launch reads: session.json and the journal beside it.
        GradingStore loaded(std::make_unique<ReadOnlyFolderStorage>(folder()));
        for (const FeedItem& item : loaded.feed()) {
            ASSERT_NE(item.kind, FeedItem::Kind::warning) << "round " << round << ": " << item.text;
        }
        ASSERT_EQ(loaded.session().students.size(), 2u);
        const std::string notes = loaded.session().students[0].overallNotes;
        roundsThatSaved += notes != previousNotes;
        previousNotes = notes;
    }
    EXPECT_GT(roundsThatSaved, 20) << "the children must have been killed while saving";
}

} // namespace
} // namespace kelvarn
