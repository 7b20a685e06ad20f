#include "persistence/BackgroundStateWriter.h"

#include "engine/GradingStore.h"
#include "persistence/CompactionPolicy.h"
#include "persistence/FileIO.h"
#include "persistence/JournalReplay.h"
#include "persistence/ReadOnlyFolderStorage.h"
#include "persistence/SavedStateJson.h"
#include "support/Fixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <iostream>
#include <random>
#include <semaphore>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Steady time that moves only when the test moves it; the writer reads it on its own thread.
class SteadyTime final {
public:
    BackgroundStateWriter::MonotonicClock clock() {
        return [this] { return m_now.load(); };
    }
    void advance(std::chrono::steady_clock::duration by) { m_now = m_now.load() + by; }

private:
    std::atomic<std::chrono::steady_clock::time_point> m_now{
        std::chrono::steady_clock::time_point{std::chrono::hours(1)}};
};

// Counts the saved states that have landed: every write ends by renaming onto session.json.
class LandedWrites final {
public:
    explicit LandedWrites(const fs::path& folder)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        // The kernel merges identical events in a row; the temporary file's creation between
        // two renames keeps them apart.
        ::inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO | IN_CREATE);
    }
    ~LandedWrites() { ::close(m_fd); }
    LandedWrites(const LandedWrites&) = delete;
    LandedWrites& operator=(const LandedWrites&) = delete;

    int count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t size = 0;
        while ((size = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                m_count += (event->mask & IN_MOVED_TO) != 0 && event->len > 0 &&
                           std::string_view(event->name) == "session.json";
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_count;
    }

private:
    int m_fd;
    int m_count = 0;
};

class BackgroundStateWriterTest : public ::testing::Test {
protected:
    fs::path folder() const { return temp.path() / "share" / "Kelvarn"; }
    // What a launch would find: session.json with the journal's changes on top.
    std::string savedNotes() const {
        GradingStore store(std::make_unique<ReadOnlyFolderStorage>(folder()));
        return store.session().students.empty() ? "<none>"
                                                : store.session().students[0].overallNotes;
    }
    // What session.json alone holds.
    std::string fileNotes() const {
        const auto text = readWholeFile(folder() / "session.json");
        if (!text) {
            return "<unreadable>";
        }
        const auto saved = decodeSavedState(text.value());
        return saved ? saved.value().session.students[0].overallNotes : "<undecodable>";
    }
    static SavedStateSnapshot withNotes(const std::string& notes) {
        SavedStateSnapshot snapshot{testing::sessionWithStudents({"Nadia Ford"}), {}};
        snapshot.session.students.edit(0).overallNotes = notes;
        return snapshot;
    }
    void writeSession(const std::string& overallNotes) const {
        SavedState state{testing::sessionWithStudents({"Nadia Ford", "Omar Haddad"}), {}};
        state.session.students.edit(0).overallNotes = overallNotes;
        fs::create_directories(folder());
        std::ofstream(folder() / "session.json", std::ios::binary) << encodeSavedState(state);
    }

    testing::TempFolder temp;
};

// Each change is in the journal when writeState returns; session.json is rewritten only when the
// steps since the last rewrite have paid for it and a pause came, at compact, and at the end.
TEST_F(BackgroundStateWriterTest, ChangesGoToTheJournalAndSessionJsonIsRewrittenAfterAPause) {
    writeSession("");
    SteadyTime time;
    testing::FakeClock clock;
    LandedWrites landed(folder());
    {
        auto owned = std::make_unique<BackgroundStateWriter>(folder(), nullptr, time.clock());
        BackgroundStateWriter& writer = *owned;
        GradingStore store(std::move(owned), clock.clock());
        const Uuid nadia = store.session().students[0].id;
        const NotesTarget target = OverallNotes{nadia};
        store.editNotes("typed", target);
        EXPECT_EQ(savedNotes(), "typed") << "in the journal at once, before any sync";
        EXPECT_EQ(landed.count(), 0);

        // Typing on, with no pause: never a rewrite, however long it goes on.
        for (int i = 0; i < 50; ++i) {
            store.editNotes("typed " + std::to_string(i), target);
            clock.advance(0.1);
            time.advance(100ms);
            writer.catchUp();
        }
        EXPECT_EQ(landed.count(), 0);
        EXPECT_EQ(savedNotes(), "typed 49");

        // A pause: the steps so far paid for rewriting this small file.
        time.advance(compaction::idleTime);
        writer.catchUp();
        EXPECT_EQ(landed.count(), 1);
        EXPECT_EQ(fileNotes(), "typed 49");

        store.setLevel(Level::complete, nadia, SectionID::intro);
        time.advance(compaction::idleTime - 1ms);
        writer.catchUp();
        EXPECT_EQ(landed.count(), 1) << "not before the pause is long enough";
        time.advance(1ms + BackgroundStateWriter::minimumSpacing);
        writer.catchUp();
        EXPECT_EQ(landed.count(), 2);

        store.editNotes("at the end", target);
        store.flush();
        EXPECT_EQ(landed.count(), 2) << "a flush only has the journal on the disk";
        EXPECT_EQ(savedNotes(), "at the end");
    }
    EXPECT_EQ(landed.count(), 3) << "the end rewrites what the journal holds";
    EXPECT_EQ(fileNotes(), "at the end");
}

TEST_F(BackgroundStateWriterTest, CompactRewritesAtOnceAndDestructionWritesWhatIsPending) {
    writeSession("");
    {
        GradingStore store(std::make_unique<BackgroundStateWriter>(folder()));
        LandedWrites landed(folder());
        const NotesTarget target = OverallNotes{store.session().students[0].id};
        for (int i = 0; i < 10; ++i) {
            store.editNotes(std::to_string(i), target);
            store.compact();
            ASSERT_EQ(fileNotes(), std::to_string(i));
        }
        EXPECT_EQ(landed.count(), 10);
        store.compact();
        EXPECT_EQ(landed.count(), 10) << "nothing new, nothing rewritten";
        store.editNotes("pending at the end", target);
    }
    EXPECT_EQ(fileNotes(), "pending at the end");
    EXPECT_EQ(savedNotes(), "pending at the end");
}

// Tests run as root, so the folder is broken rather than made read-only.
TEST_F(BackgroundStateWriterTest, AFailedWriteReachesTheFeedAndTheCallback) {
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> breakages = {
        {"folder removed", [](const fs::path& folder) { fs::remove_all(folder); }},
        {"folder replaced by a file",
         [](const fs::path& folder) {
             fs::remove_all(folder);
             std::ofstream(folder) << "not a folder";
         }},
    };
    for (const auto& [name, breakFolder] : breakages) {
        SCOPED_TRACE(name);
        writeSession("");
        std::counting_semaphore<> failures(0);
        GradingStore store(
            std::make_unique<BackgroundStateWriter>(folder(), [&] { failures.release(); }));
        const NotesTarget target = OverallNotes{store.session().students[0].id};
        store.editNotes("saved", target);
        store.flush();
        ASSERT_TRUE(store.writeFailures().empty());
        EXPECT_EQ(savedNotes(), "saved");

        breakFolder(folder());
        store.editNotes("lost", target);
        store.flush();
        ASSERT_EQ(store.writeFailures().size(), 1u);
        EXPECT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
        EXPECT_EQ(store.feed().back().text.rfind("Autosave failed: ", 0), 0u)
            << store.feed().back().text;
        EXPECT_EQ(store.notes(target), "lost");
        // A failure on the writing thread (here rewriting session.json) is told through the
        // callback, which may run just after compact returned.
        store.compact();
        EXPECT_TRUE(failures.try_acquire_for(10s));
        fs::remove_all(folder());
    }
}

TEST_F(BackgroundStateWriterTest, ARunOfFailuresIsSaidOnceAndSoIsSavingAgain) {
    writeSession("");
    GradingStore store(std::make_unique<BackgroundStateWriter>(folder()));
    const NotesTarget target = OverallNotes{store.session().students[0].id};
    const auto warnings = [&] {
        return std::count_if(store.feed().begin(), store.feed().end(), [](const FeedItem& item) {
            return item.kind == FeedItem::Kind::warning;
        });
    };
    // Renaming over a folder fails; the data folder itself stays the same one.
    const auto breakFolder = [&] {
        fs::remove(folder() / "session.journal");
        fs::create_directory(folder() / "session.journal");
    };
    const auto mendFolder = [&] { fs::remove(folder() / "session.journal"); };

    // Not yet on the disk when the journal breaks: its sync succeeding later saves none of the
    // changes that could not be appended, and must not be taken for saving working again.
    store.editNotes("before the break", target);
    breakFolder();
    for (int i = 0; i < 300; ++i) {
        store.editNotes("typed " + std::to_string(i), target);
        store.flush();
    }
    EXPECT_EQ(warnings(), 1) << "one burst of typing, one line";
    EXPECT_EQ(store.writeFailures().size(), 1u);
    EXPECT_NE(store.feed().back().text, "Saved again: every change is on disk.");

    mendFolder();
    store.editNotes("after the fix", target);
    store.flush();
    EXPECT_EQ(store.feed().back().text, "Saved again: every change is on disk.");
    EXPECT_EQ(savedNotes(), "after the fix");
    store.editNotes("and again", target);
    store.flush();
    EXPECT_EQ(store.feed().back().text, "Saved again: every change is on disk.")
        << "said once, not after every save";

    breakFolder();
    store.editNotes("lost again", target);
    store.flush();
    EXPECT_EQ(warnings(), 2) << "a new run of failures is said again";
    mendFolder();
}

// Another program's folder in its place (kelvarnctl's new one, a backup put back) holds what is
// there now; this run's older view of the class must not overwrite it, nor its log.
TEST_F(BackgroundStateWriterTest, AFolderReplacedWhileRunningIsNeverWrittenOver) {
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> replacements = {
        {"moved aside and a backup put back",
         [](const fs::path& folder) { fs::rename(folder, folder.string() + ".old"); }},
        {"removed, then made again by another program",
         [](const fs::path& folder) { fs::remove_all(folder); }},
    };
    for (const auto& [name, takeAway] : replacements) {
        SCOPED_TRACE(name);
        writeSession("");
        GradingStore store(std::make_unique<BackgroundStateWriter>(folder()));
        const NotesTarget target = OverallNotes{store.session().students[0].id};
        store.editNotes("mine", target);
        store.flush();
        ASSERT_EQ(savedNotes(), "mine");

        takeAway(folder());
        writeSession("theirs");
        store.editNotes("mine, later", target);
        store.log(FeedItem::Kind::action, "a line");
        store.flush();
        EXPECT_EQ(savedNotes(), "theirs");
        EXPECT_FALSE(fs::exists(folder() / "actions.log"));
        // Said as soon as the change is made, before the line logged after it.
        const FeedItem& said = store.feed()[store.feed().size() - 2];
        ASSERT_EQ(said.kind, FeedItem::Kind::warning);
        EXPECT_NE(said.text.find("was moved, removed or replaced while Kelvarn ran"),
                  std::string::npos)
            << said.text;
        EXPECT_EQ(store.notes(target), "mine, later") << "still there to export";
        fs::remove_all(folder());
        fs::remove_all(folder().string() + ".old");
    }
}

// A child types into a notes editor as fast as it can, now and then grading a section (a new
// undo step); after each edit returns, which is when the editor shows it, it tells the parent the
// edit's number. In odd rounds it also has session.json rewritten every few edits; in even ones
// the journal is left to grow from round to round (the parent only reads the folder) until it
// passes its size limit and the writing thread rewrites session.json while the typing goes on.
// It is killed at random moments: the folder must load every time, holding at least the last
// edit it told of.
TEST_F(BackgroundStateWriterTest, KilledAtAnyMomentLosesNothingItHadShown) {
    writeSession("0");
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayMillis(0, 400);
    int killsAfterARewrite = 0;
    long long previous = 0;
    const std::string padding(3000, 'x');
    for (int round = 0; round < 200; ++round) {
        const auto fileBefore = readWholeFile(folder() / "session.json");
        int shown[2];
        ASSERT_EQ(::pipe(shown), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(shown[0]);
            GradingStore store(std::make_unique<BackgroundStateWriter>(folder()));
            const Uuid nadia = store.session().students[0].id;
            const std::string& notes = store.notes(OverallNotes{nadia});
            long long edit = std::stoll(notes.substr(0, notes.find(' ')));
            for (;;) {
                ++edit;
                store.editNotes(std::to_string(edit) + " " + padding, OverallNotes{nadia});
                if (edit % 16 == 0) {
                    store.setLevel(levels::allCases[(edit / 16) % 4], nadia, SectionID::claims);
                }
                if (round % 2 == 1 && edit % 8 == 0) {
                    store.compact();
                }
                [[maybe_unused]] const auto told = ::write(shown[1], &edit, sizeof edit);
                ::usleep(500);
            }
        }
        ::close(shown[1]);
        long long first = 0;
        const bool started = ::read(shown[0], &first, sizeof first) == sizeof first;
        ::usleep(static_cast<useconds_t>(delayMillis(random)) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "round " << round << ": the child died before typing";
        long long lastShown = first;
        for (long long edit = 0; ::read(shown[0], &edit, sizeof edit) == sizeof edit;) {
            lastShown = edit;
        }
        ::close(shown[0]);

        const auto fileAfter = readWholeFile(folder() / "session.json");
        killsAfterARewrite += fileAfter && fileBefore && fileAfter.value() != fileBefore.value();
        // The journal continues this session.json and ends whole, or torn by the kill.
        const std::string file = readWholeFile(folder() / "session.json").value();
        SavedState replayed = decodeSavedState(file).value();
        const JournalReplay replay =
            replayJournal(readWholeFile(folder() / "session.journal").value(),
                          StateFingerprint::of(file), replayed);
        ASSERT_TRUE(replay.outcome == JournalReplay::Outcome::complete ||
                    replay.outcome == JournalReplay::Outcome::tornTail)
            << "round " << round << ": " << replay.problem;
        // Read without writing, so the journal goes on growing; the next child loads it as a
        // launch does.
        GradingStore store(std::make_unique<ReadOnlyFolderStorage>(folder()));
        for (const FeedItem& item : store.feed()) {
            ASSERT_NE(item.kind, FeedItem::Kind::warning) << "round " << round << ": " << item.text;
        }
        ASSERT_EQ(store.session().students.size(), 2u);
        const std::string notes = store.notes(OverallNotes{store.session().students[0].id});
        const long long loaded = std::stoll(notes.substr(0, notes.find(' ')));
        ASSERT_GE(loaded, lastShown) << "round " << round << ": a change it had shown was lost";
        ASSERT_GE(loaded, previous);
        previous = loaded;
    }
    std::cout << "killed while typing: " << killsAfterARewrite
              << " kills came after session.json was rewritten while typing\n";
    EXPECT_GT(killsAfterARewrite, 10) << "the kills must land around rewrites too";
}

} // namespace
} // namespace kelvarn
