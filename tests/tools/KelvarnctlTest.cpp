#include "Kelvarnctl.h"
#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kelvarn {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class KelvarnctlTest : public ::testing::Test {
protected:
    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"kelvarnctl", "--data-dir", data().string()});
        std::vector<const char*> argv;
        for (const auto& arg : args) {
            argv.push_back(arg.c_str());
        }
        std::ostringstream out;
        std::ostringstream err;
        const int status = ctl::run(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
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
    EXPECT_EQ(roster.out, "action\tLoaded roster (2 students)\n");

    const auto status = run({"status"});
    EXPECT_EQ(status.out,
              "Nadia Ford\t0/6\t0.00/5.00\nZoë Park\t0/6\t0.00/5.00\nFocus: all students\n");

    const auto undo = run({"undo", "2"});
    EXPECT_EQ(undo.out,
              "action\t↩︎ Undid: Loaded roster (2 students)\nwarning\tNothing to undo\n");
    EXPECT_EQ(run({"status"}).out, "Focus: all students\n");
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
    EXPECT_EQ(run({"corrections", "add", "...", "x"}).status, ctl::exitFailure);
    EXPECT_EQ(run({"say", "x", "--remember"}).status, ctl::exitUsage);
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
    EXPECT_EQ(mixed.out, "action\tLoaded roster (1 students)\n"
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
        EXPECT_EQ(refused.err, "Kelvarn is already using " + data().string() + "\n");
        EXPECT_FALSE(std::filesystem::exists(data() / "session.json"));
        EXPECT_FALSE(std::filesystem::exists(data() / "actions.log"));
        EXPECT_TRUE(std::filesystem::exists(temporary));
    }
    EXPECT_EQ(run({"status"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(temporary)) << "the owner clears leftovers";
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

} // namespace
} // namespace kelvarn
