#include "persistence/BackgroundStateWriter.h"

#include "engine/GradingStore.h"
#include "persistence/FileIO.h"
#include "persistence/SavedStateJson.h"
#include "support/Fixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <ctime>
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

// CLOCK_MONOTONIC is shared by parent and child, so times taken in both compare directly.
long long monotonicMillis() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

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
    std::string savedNotes() const {
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

TEST_F(BackgroundStateWriterTest, WhileChangesKeepComingOnlyTheNewestIsWrittenSpacedApart) {
    constexpr auto spacing = BackgroundStateWriter::minimumSpacing;
    SteadyTime time;
    BackgroundStateWriter writer(folder(), {}, time.clock());
    LandedWrites landed(folder());
    writer.writeState(withNotes("first"));
    writer.catchUp();
    ASSERT_EQ(landed.count(), 1);
    EXPECT_EQ(savedNotes(), "first");

    // Handed over within the spacing that the first write started: held back, then only the
    // newest is written, as soon as the spacing has passed.
    writer.writeState(withNotes("second"));
    writer.writeState(withNotes("third"));
    time.advance(spacing - 1ms);
    writer.catchUp();
    EXPECT_EQ(landed.count(), 1);
    writer.writeState(withNotes("fourth"));
    time.advance(1ms);
    writer.catchUp();
    EXPECT_EQ(landed.count(), 2);
    EXPECT_EQ(savedNotes(), "fourth");

    // Typing for a while, one change every 10 ms: a write every spacing exactly, each of the
    // newest change.
    constexpr auto step = 10ms;
    int written = 2;
    for (auto typed = step; typed <= 3 * spacing; typed += step) {
        const std::string notes = "typed " + std::to_string(typed.count());
        writer.writeState(withNotes(notes));
        time.advance(step);
        writer.catchUp();
        const bool due = typed % spacing == 0ms;
        written += due;
        ASSERT_EQ(landed.count(), written) << "after " << typed.count() << " ms";
        if (due) {
            EXPECT_EQ(savedNotes(), notes);
        }
    }

    // The typing stops: what is pending lands once the spacing has passed, without a flush.
    writer.writeState(withNotes("last"));
    time.advance(spacing - 1ms);
    writer.catchUp();
    EXPECT_EQ(landed.count(), written);
    time.advance(1ms);
    writer.catchUp();
    EXPECT_EQ(landed.count(), written + 1);
    EXPECT_EQ(savedNotes(), "last");
}

TEST_F(BackgroundStateWriterTest, FlushWritesAtOnceAndDestructionWritesWhatIsPending) {
    {
        BackgroundStateWriter writer(folder());
        LandedWrites landed(folder());
        // Were the spacing waited out, these ten flushes would take at least 4.5 s.
        const auto started = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i) {
            writer.writeState(withNotes(std::to_string(i)));
            writer.flush();
            ASSERT_EQ(savedNotes(), std::to_string(i));
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started,
                  9 * BackgroundStateWriter::minimumSpacing);
        EXPECT_EQ(landed.count(), 10);

        writer.writeState(withNotes("pending at the end"));
    }
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
        // The callback runs on the writing thread, possibly just after flush returned.
        EXPECT_TRUE(failures.try_acquire_for(10s));
        EXPECT_EQ(store.notes(target), "lost");
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
        fs::remove(folder() / "session.json");
        fs::create_directory(folder() / "session.json");
    };
    const auto mendFolder = [&] { fs::remove(folder() / "session.json"); };

    breakFolder();
    for (int i = 0; i < 300; ++i) {
        store.editNotes("typed " + std::to_string(i), target);
        store.flush();
    }
    EXPECT_EQ(warnings(), 1) << "one burst of typing, one line";
    EXPECT_EQ(store.writeFailures().size(), 1u);

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
        ASSERT_EQ(store.feed().back().kind, FeedItem::Kind::warning);
        EXPECT_NE(store.feed().back().text.find("was moved, removed or replaced while Kelvarn ran"),
                  std::string::npos)
            << store.feed().back().text;
        EXPECT_EQ(store.notes(target), "mine, later") << "still there to export";
        fs::remove_all(folder());
        fs::remove_all(folder().string() + ".old");
    }
}

// A child types into a notes editor, one edit every 3 ms, each text being the child's time; it is
// killed at random moments. Whatever the moment, the file must load and hold what the child had
// shortly before.
TEST_F(BackgroundStateWriterTest, KilledWhileTypingLeavesARecentLoadableState) {
    // The spacing plus a write; the slack allows for fsync on a busy shared machine.
    constexpr long long allowedMs = 600;
    constexpr long long slackMs = 400;
    writeSession("0");
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayMillis(0, 900);
    long long previousSavedAt = 0;
    long long maxStaleness = 0;
    int lateKills = 0;
    int lateKillsAfterASpacedWrite = 0;
    for (int round = 0; round < 120; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            GradingStore store(std::make_unique<BackgroundStateWriter>(folder()));
            const NotesTarget target = OverallNotes{store.session().students[0].id};
            const long long start = monotonicMillis();
            store.editNotes(std::to_string(start), target);
            [[maybe_unused]] const auto written = ::write(ready[1], &start, sizeof start);
            for (;;) {
                ::usleep(3000);
                store.editNotes(std::to_string(monotonicMillis()), target);
            }
        }
        ::close(ready[1]);
        long long start = 0;
        const bool started = ::read(ready[0], &start, sizeof start) == sizeof start;
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(delayMillis(random)) * 1000);
        const long long killedAt = monotonicMillis();
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "round " << round << ": the child died before typing";

        const auto text = readWholeFile(folder() / "session.json");
        ASSERT_TRUE(text) << "round " << round << ": " << text.error();
        const auto saved = decodeSavedState(text.value());
        ASSERT_TRUE(saved) << "round " << round << ": " << saved.error();
        ASSERT_EQ(saved.value().session.students.size(), 2u);
        const std::string& notes = saved.value().session.students[0].overallNotes;
        long long savedAt = -1;
        std::from_chars(notes.data(), notes.data() + notes.size(), savedAt);
        ASSERT_GE(savedAt, previousSavedAt) << "round " << round << ": notes " << notes;
        previousSavedAt = savedAt;

        // Until its first edit the child had the state it loaded.
        const long long staleness = killedAt - std::max(savedAt, start);
        maxStaleness = std::max(maxStaleness, staleness);
        ASSERT_LE(staleness, allowedMs + slackMs) << "round " << round;
        // Killed well after the first spacing: a second write should have landed by then.
        if (killedAt - start >= 700) {
            ++lateKills;
            lateKillsAfterASpacedWrite += savedAt >= start + 400;
        }
    }
    RecordProperty("maxStalenessMs", std::to_string(maxStaleness));
    std::cout << "killed while typing: max staleness " << maxStaleness << " ms, " << lateKills
              << " kills after 700 ms of which " << lateKillsAfterASpacedWrite
              << " found a spaced write\n";
    EXPECT_GT(lateKills, 10);
    EXPECT_GE(2 * lateKillsAfterASpacedWrite, lateKills)
        << "writes must keep coming while the typing does";
}

} // namespace
} // namespace kelvarn
