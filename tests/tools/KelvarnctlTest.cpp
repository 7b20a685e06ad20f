#include "FeedPrinter.h"
#include "engine/GradingStore.h"
#include "persistence/BackgroundStateWriter.h"
#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"
#include "support/KelvarnctlRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace kelvarn {
namespace {

using Outcome = testing::KelvarnctlOutcome;

class KelvarnctlTest : public ::testing::Test {
protected:
    Outcome run(std::vector<std::string> args) { return runIn(data().string(), std::move(args)); }
    Outcome runIn(const std::string& dataDir, std::vector<std::string> args) {
        return testing::runKelvarnctl(dataDir, std::move(args));
    }
    std::filesystem::path data() const { return temp.path() / "data"; }
    std::string file(const std::string& name, const std::string& content) const {
        const auto path = temp.path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    testing::TempFolder temp;
};

TEST_F(KelvarnctlTest, RosterStatusUndoAndFeedLines) {
    const auto roster = run({"roster", file("class.txt", "# Section 2\nFord, Nadia\nZoë Park\n")});
    EXPECT_EQ(roster.status, 0);
    EXPECT_EQ(roster.out, "action\tLoaded roster: added 2, already there 0, skipped 1\n");

    const auto status = run({"status"});
    EXPECT_EQ(status.out,
              "Nadia Ford\t0/6\t0.00/5.00\nZoë Park\t0/6\t0.00/5.00\nFocus: all students\n");

    const auto undo = run({"undo", "2"});
    EXPECT_EQ(undo.out, "action\t↩︎ Undid: Loaded roster: added 2, already there 0, skipped 1\n"
                        "warning\tNothing to undo\n");
    EXPECT_EQ(run({"status"}).out, "Focus: all students\n");

    const auto many = run({"undo", "2147483647"});
    EXPECT_EQ(many.status, 0);
    EXPECT_EQ(many.out, "warning\tNothing to undo\n") << "stops at the first empty step";
    EXPECT_EQ(run({"undo", "99999999999999999999999"}).out, "warning\tNothing to undo\n");
    for (const char* count : {"0", "-1", "abc", "1.5", ""}) {
        const auto bad = run({"undo", count});
        EXPECT_EQ(bad.status, ctl::exitUsage) << count;
        EXPECT_EQ(bad.err.rfind("kelvarnctl: N must be a whole number of 1 or more\n", 0), 0u)
            << count << ": " << bad.err;
    }
}

TEST_F(KelvarnctlTest, SayFixAndCorrectionRules) {
    run({"roster", file("class.txt", "Ford, Nadia\nOmar Haddad\n")});
    const auto said = run(
        {"say", "Omar Haddad evidence", "Good sources.", "--fix", "Weak sources.", "--remember"});
    EXPECT_EQ(said.status, 0);
    EXPECT_EQ(said.out, "heard\tOmar Haddad evidence\n"
                        "action\t→ Omar Haddad\n"
                        "action\t→ Use of Evidence\n"
                        "heard\tGood sources.\n"
                        "note\tNote → Omar Haddad · Evidence: “Good sources.”\n"
                        "action\tRemembered: “good” → “Weak”\n"
                        "action\t✎ Fixed “Good sources.” → “Weak sources.”\n"
                        "heard\tWeak sources.\n"
                        "note\tNote → Omar Haddad · Evidence: “Weak sources.”\n");

    const auto listed = run({"corrections", "list"});
    ASSERT_EQ(listed.out.size(), 36u + std::string("\tgood\tWeak\n").size());
    const std::string id = listed.out.substr(0, 36);
    EXPECT_EQ(run({"corrections", "add", "nadir", "Nadia"}).out,
              "action\tRemembered: “nadir” → “Nadia”\n");
    EXPECT_EQ(run({"say", "nadir ford"}).out,
              "heard\tNadia ford   (heard “nadir ford”)\naction\t→ Nadia Ford\n");
    EXPECT_EQ(run({"corrections", "remove", id}).status, 0);
    EXPECT_EQ(run({"corrections", "list"}).out.find("good"), std::string::npos);

    const auto badID = run({"corrections", "remove", "not-an-id"});
    EXPECT_EQ(badID.status, ctl::exitFailure);
    EXPECT_EQ(badID.err, "Not a rule id: not-an-id\n");
    const auto unknown = run({"corrections", "remove", id});
    EXPECT_EQ(unknown.status, ctl::exitFailure) << "removed already";
    EXPECT_EQ(unknown.err, "No rule with id " + id + "\n");
    EXPECT_EQ(run({"corrections", "add", "...", "x"}).status, ctl::exitFailure);
    EXPECT_EQ(run({"say", "x", "--remember"}).status, ctl::exitUsage);

    const auto dashed = run({"say", "--", "-5 points off", "-half a point", "--fix"});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    for (const char* heard :
         {"heard\t-5 points off\n", "heard\t-half a point\n", "heard\t--fix\n"}) {
        EXPECT_NE(dashed.out.find(heard), std::string::npos) << dashed.out;
    }
    EXPECT_NE(run({"say", "--help"}).out.find("put -- before"), std::string::npos);
}

TEST_F(KelvarnctlTest, OutputIsOneLinePerEntryWithoutControlCharacters) {
    run({"roster", file("class.txt", "Ben\t\tOkafor\n")});
    EXPECT_EQ(run({"status"}).out, "Ben  Okafor\t0/6\t0.00/5.00\nFocus: all students\n");

    const auto said = run({"say", "Ben Okafor", "Strong.\nWeak \x1b[2Jending."});
    EXPECT_EQ(said.out, "heard\tBen Okafor\n"
                        "action\t→ Ben  Okafor\n"
                        "heard\tStrong. Weak \uFFFD[2Jending.\n"
                        "note\tNote → Ben  Okafor · overall: “Strong. Weak \uFFFD[2Jending.”\n");
    EXPECT_EQ(run({"status"}).out.find('\x1b'), std::string::npos);

    run({"corrections", "add", "nadir", "Nadia\x1b]0;x\x07\tFord"});
    const auto listed = run({"corrections", "list"});
    EXPECT_EQ(listed.out.substr(36), "\tnadir\tNadia\uFFFD]0;x\uFFFD Ford\n");
}

TEST_F(KelvarnctlTest, RosterFilesThatAreNotListsOfNames) {
    const auto mixed = run({"roster", file("class.txt", "Nadia Ford\n\x1b[2J\nThe essay argues "
                                                        "that neither side trusted the other at "
                                                        "all.\n")});
    EXPECT_EQ(mixed.status, 0);
    EXPECT_EQ(mixed.out, "action\tLoaded roster: added 1, already there 0, skipped 2\n"
                         "warning\tSkipped 2 line(s) that don't look like names\n");

    const std::string binary("\x7f"
                             "ELF\x02\x01\x01\0\0\0\nNadia Ford\n",
                             22);
    const auto refused = run({"roster", file("a.out", binary)});
    EXPECT_EQ(refused.status, ctl::exitFailure);
    EXPECT_EQ(refused.err, "That file has no names in it.\n");

    const auto pipe = (temp.path() / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto fromPipe = run({"roster", pipe});
    EXPECT_EQ(fromPipe.status, ctl::exitFailure);
    EXPECT_EQ(fromPipe.err, "Couldn't read roster: Is a named pipe, not a regular file\n");
}

TEST_F(KelvarnctlTest, FailuresAndUsageErrors) {
    const auto missing = run({"roster", (temp.path() / "nope.txt").string()});
    EXPECT_EQ(missing.status, ctl::exitFailure);
    EXPECT_EQ(missing.err, "Couldn't read roster: No such file or directory\n");
    EXPECT_EQ(missing.out, "");

    const auto empty = run({"roster", file("empty.txt", "# only a comment\n\n")});
    EXPECT_EQ(empty.status, ctl::exitFailure);
    EXPECT_EQ(empty.err, "That file has no names in it.\n");

    EXPECT_EQ(run({}).status, ctl::exitUsage);
    EXPECT_EQ(run({"undo", "0"}).status, ctl::exitUsage);
    EXPECT_EQ(run({"export", "pdf"}).status, ctl::exitUsage);
    EXPECT_EQ(run({"status", "extra"}).status, ctl::exitUsage);
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST_F(KelvarnctlTest, ADataFolderThatCannotBeOneIsNamed) {
    const auto path = file("plain", "not a folder");
    for (const std::string& dir : {path, path + "/Kelvarn"}) {
        const auto refused = runIn(dir, {"status"});
        EXPECT_EQ(refused.status, ctl::exitFailure);
        EXPECT_EQ(refused.err, path + " is a file, not a folder\n");
    }

    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write into any folder";
    }
    const auto locked = temp.path() / "locked";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    const auto readOnly = runIn((locked / "Kelvarn").string(), {"status"});
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(readOnly.status, ctl::exitFailure);
    EXPECT_EQ(readOnly.err, locked.string() + " is read-only\n");
}

TEST_F(KelvarnctlTest, ASecondProcessIsRefusedAndTouchesNothing) {
    ASSERT_TRUE(createDataFolder(data()));
    // The holder's write in progress, or a crashed write's leftover: only the owner may tell.
    const auto temporary = data() / ".session.json.0F0E0D0C-0B0A-4908-8706-050403020100.tmp";
    std::ofstream(temporary) << "{\"sess";
    {
        auto held = DataFolderLock::acquire(data());
        ASSERT_TRUE(held);
        const auto refused = run({"roster", file("class.txt", "Nadia Ford\n")});
        EXPECT_EQ(refused.status, ctl::exitFailure);
        EXPECT_EQ(refused.err, "Kelvarn is already using " + data().string() +
                                   "\nWhile it runs, hand it the change instead: kelvarn --say "
                                   "TEXT (as if heard) or kelvarn --roster FILE\n");
        EXPECT_FALSE(std::filesystem::exists(data() / "session.json"));
        EXPECT_FALSE(std::filesystem::exists(data() / "actions.log"));
        EXPECT_TRUE(std::filesystem::exists(temporary));
    }
    EXPECT_EQ(run({"status"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(temporary)) << "the owner clears leftovers";
}

// The application appends each change to the journal and rewrites session.json only now and
// then: what kelvarnctl reads while it runs has its newest change all the same, and after it is
// killed kelvarnctl takes the folder up where it left off.
TEST_F(KelvarnctlTest, AFolderIsTheSameWhicheverProgramLastTouchedIt) {
    run({"roster", file("class.txt", "Nadia Ford\nOmar Haddad\n")});
    const auto before = readWholeFile(data() / "session.json").value();
    int changed[2];
    int killed[2];
    ASSERT_EQ(::pipe(changed), 0);
    ASSERT_EQ(::pipe(killed), 0);
    const pid_t application = ::fork();
    ASSERT_GE(application, 0);
    if (application == 0) {
        auto held = DataFolderLock::acquire(data());
        GradingStore running(std::make_unique<BackgroundStateWriter>(data()));
        running.handleTranscript("Omar Haddad claims mostly");
        running.flush();
        [[maybe_unused]] const auto told = ::write(changed[1], "x", 1);
        char wait = 0;
        [[maybe_unused]] const auto heard = ::read(killed[0], &wait, 1);
        ::_exit(0); // as if killed: nothing more is written
    }
    char signal = 0;
    ASSERT_EQ(::read(changed[0], &signal, 1), 1);
    EXPECT_EQ(readWholeFile(data() / "session.json").value(), before)
        << "a change alone does not rewrite session.json";
    const auto reading = run({"status"});
    EXPECT_NE(reading.out.find("Omar Haddad\t1/6\t"), std::string::npos) << reading.out;
    EXPECT_NE(reading.err.find("Kelvarn is already using"), std::string::npos) << reading.err;
    ASSERT_EQ(::write(killed[1], "x", 1), 1);
    int status = 0;
    ::waitpid(application, &status, 0);
    for (const int fd : {changed[0], changed[1], killed[0], killed[1]}) {
        ::close(fd);
    }

    const auto after = run({"status"});
    EXPECT_EQ(after.err, "");
    EXPECT_NE(after.out.find("Omar Haddad\t1/6\t"), std::string::npos) << after.out;
    EXPECT_NE(readWholeFile(data() / "session.json").value().find("\"claims\":{\"level\""),
              std::string::npos)
        << "kelvarnctl's end rewrote session.json with what it recovered";
}

TEST_F(KelvarnctlTest, WhileTheFolderIsInUseWhatOnlyReadsRunsOnTheLastSave) {
    run({"roster", file("class.txt", "Nadia Ford\nOmar Haddad\n")});
    run({"say", "Nadia Ford intro complete"});
    run({"corrections", "add", "nadir", "Nadia"});
    const auto temporary = data() / ".session.json.0F0E0D0C-0B0A-4908-8706-050403020100.tmp";
    std::ofstream(temporary) << "{\"sess";
    const auto session = readWholeFile(data() / "session.json").value();
    const auto journal = readWholeFile(data() / "session.journal").value();
    const auto log = readWholeFile(data() / "actions.log").value();

    auto held = DataFolderLock::acquire(data());
    ASSERT_TRUE(held);
    const std::string note = "Kelvarn is already using " + data().string() +
                             ": this is the class as it was last saved, which may be behind "
                             "what it shows\n";
    const auto status = run({"status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "Nadia Ford\t1/6\t0.85/5.00\nOmar Haddad\t0/6\t0.00/5.00\n"
                          "Focus: Nadia Ford · Intro / Thesis\n");
    EXPECT_EQ(status.err, note);
    const auto csv = run({"export", "csv"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out.rfind("Student,", 0), 0u);
    EXPECT_EQ(csv.err, note);
    const auto report = (temp.path() / "report.txt").string();
    EXPECT_EQ(run({"export", "text", "-o", report}).status, 0);
    EXPECT_NE(readWholeFile(report).value().find("Nadia Ford"), std::string::npos);
    EXPECT_NE(run({"corrections", "list"}).out.find("\tnadir\tNadia\n"), std::string::npos);

    for (const std::vector<std::string>& change : {std::vector<std::string>{"say", "Omar Haddad"},
                                                   {"roster", file("more.txt", "Zoë Park")},
                                                   {"undo"},
                                                   {"corrections", "add", "omer", "Omar"},
                                                   {"listen", "--file", "x.wav"}}) {
        const auto refused = run(change);
        EXPECT_EQ(refused.status, ctl::exitFailure) << change[0];
        EXPECT_EQ(refused.out, "") << change[0];
        EXPECT_NE(refused.err.find("kelvarn --say TEXT"), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("kelvarn --roster FILE"), std::string::npos) << refused.err;
    }
    EXPECT_EQ(readWholeFile(data() / "session.json").value(), session);
    EXPECT_EQ(readWholeFile(data() / "session.journal").value(), journal);
    EXPECT_EQ(readWholeFile(data() / "actions.log").value(), log);
    EXPECT_TRUE(std::filesystem::exists(temporary)) << "only the owner clears leftovers";

    // A damaged save is the owner's to set aside: reading it here moves nothing.
    std::ofstream(data() / "session.json") << "damaged";
    const auto damaged = run({"status"});
    EXPECT_EQ(damaged.status, 0);
    EXPECT_NE(damaged.out.find("warning\tCouldn't read the saved grades"), std::string::npos)
        << damaged.out;
    EXPECT_EQ(readWholeFile(data() / "session.json").value(), "damaged");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data()), {}), 6)
        << "session, journal, corrections, log, lock and the leftover: nothing set aside";
}

TEST_F(KelvarnctlTest, ExportsToAFileOrCleanlyToStandardOutput) {
    run({"roster", file("class.txt", "Nadia Ford\n")});
    std::ofstream(data() / "session.json") << "damaged";

    const auto toOut = run({"export", "csv"});
    EXPECT_EQ(toOut.status, 0);
    EXPECT_EQ(toOut.out.rfind("Student,", 0), 0u) << "only the CSV goes to standard output";
    EXPECT_NE(toOut.err.find("warning\tCouldn't read the saved grades"), std::string::npos);

    const auto path = (temp.path() / "report.txt").string();
    const auto toFile = run({"export", "text", "-o", path});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(readWholeFile(path).value().rfind("Essay Exam #1 — Introduction to Politics I", 0),
              0u);

    const auto bad = run({"export", "csv", "-o", (temp.path() / "no" / "such" / "x.csv").string()});
    EXPECT_EQ(bad.status, ctl::exitFailure);
    EXPECT_EQ(bad.err.rfind("Couldn't export to ", 0), 0u);

    const auto pipe = (temp.path() / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto toPipe = run({"export", "csv", "-o", pipe});
    EXPECT_EQ(toPipe.status, ctl::exitFailure);
    EXPECT_EQ(toPipe.err, "Couldn't export to " + pipe + ": Is a named pipe, not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

// A Moodle grade book in, graded by voice, and out again for upload, its students matched by ID
// when the next download renames one.
TEST_F(KelvarnctlTest, AGradeBookRoundTrip) {
    const std::string header = "First name,Last name,ID number,Email address\r\n";
    EXPECT_EQ(run({"roster", file("grades.csv", header + "Nadia,Ford,S1,n@x.edu\r\n"
                                                         "Omar,Haddad,S2,o@x.edu\r\n")})
                  .out,
              "action\tLoaded roster: added 2, already there 0, skipped 1\n");
    run({"say", "student one intro complete"});
    const auto renamed =
        run({"roster", file("grades.csv", header + "Nadia,Ford-Lowe,S1,n@x.edu\r\n")});
    EXPECT_EQ(renamed.out, "action\tLoaded roster: added 0, already there 1, skipped 1\n");

    const auto exported = run({"export", "gradebook", "--bom"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "\xEF\xBB\xBF"
                            "First name,Last name,ID number,Email address,Kelvarn Score\r\n"
                            "Nadia,Ford-Lowe,S1,n@x.edu,17.00\r\n"
                            "Omar,Haddad,S2,o@x.edu,\r\n");
    const auto titled = run({"export", "gradebook", "--column", "Essay 1 (Real)"});
    EXPECT_EQ(titled.out.substr(0, titled.out.find('\r')),
              "First name,Last name,ID number,Email address,Essay 1 (Real)");
}

TEST_F(KelvarnctlTest, TheCommentBankFromTheCommandLine) {
    EXPECT_EQ(run({"comments", "add", "Thesis vague", "State your claim."}).out,
              "action\tComment added: “Thesis vague”\n");
    const auto imported = run({"comments", "import",
                               file("bank.csv", "Name,Text\nFlow,Link "
                                                "them.\n")});
    EXPECT_EQ(imported.out,
              "action\tImported 1 comment: 1 new, 0 with a new text, 0 already there\n");
    run({"roster", file("class.txt", "Nadia Ford\n")});
    run({"say", "nadia ford intro comment thesis vague"});
    EXPECT_EQ(run({"comments", "list"}).out,
              "Thesis vague\t1\tState your claim.\nFlow\t0\tLink them.\n");
    EXPECT_EQ(run({"comments", "export"}).out,
              "Name,Text\r\nThesis vague,State your claim.\r\nFlow,Link them.\r\n");

    const auto missing = run({"comments", "remove", "grammar"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "warning\tNo comment is called “grammar”.\n");
    EXPECT_EQ(run({"comments", "remove", "flow"}).status, 0);
    EXPECT_EQ(run({"comments", "import", file("empty.csv", "Name,Text\n")}).status, 1);
}

TEST_F(KelvarnctlTest, AChangeThatWasNotSavedFailsTheRun) {
    const std::string roster = file("class.txt", "Nadia Ford\n");
    std::filesystem::create_directories(data() / "session.json"); // no file can replace it
    const Outcome outcome = run({"roster", roster});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("Autosave failed: "), std::string::npos) << outcome.err;
}

// Storage that notes what had been printed when each state was handed over to be saved.
class PrintWatchingStorage final : public StoreStorage {
public:
    explicit PrintWatchingStorage(const std::ostringstream& out) : m_out(out) {}

    Result<std::optional<std::string>> read(File) override { return std::optional<std::string>(); }
    Result<std::string> setAside(File, TimePoint) override { return Error{"unused"}; }
    void writeState(SavedStateSnapshot) override { printedAtSaves.push_back(m_out.str()); }
    Result<void> writeFile(File, std::string_view) override { return {}; }
    void appendLog(TimePoint, FeedItem::Kind, std::string_view) override {}
    void flush() override {}
    std::vector<Error> takeWriteFailures() override { return {}; }
    bool takeRecovery() override { return false; }

    std::vector<std::string> printedAtSaves;

private:
    const std::ostringstream& m_out;
};

TEST(FeedPrinterTest, PrintsAChangeOnlyOnceItsSaveIsDone) {
    std::ostringstream out;
    auto storage = std::make_unique<PrintWatchingStorage>(out);
    const PrintWatchingStorage& watcher = *storage;
    GradingStore store(std::move(storage));
    ctl::FeedPrinter printer(store, out);
    store.loadRoster({"Nadia Ford"});
    store.handleTranscript("Nadia Ford intro complete");

    ASSERT_EQ(watcher.printedAtSaves.size(), 4u) << "roster, student, section, level";
    EXPECT_EQ(watcher.printedAtSaves[0], "");
    EXPECT_EQ(watcher.printedAtSaves[1].find("→ Nadia Ford"), std::string::npos)
        << "a change is not printed before it is saved";
    EXPECT_NE(out.str().find("action\tIntro / Thesis → Complete (17.00/17.00) · Nadia Ford\n"),
              std::string::npos)
        << out.str();
}

} // namespace
} // namespace kelvarn
