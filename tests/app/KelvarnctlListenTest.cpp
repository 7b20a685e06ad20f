#include "speech/SphinxDecoder.h"
#include "support/KelvarnctlRun.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn {
namespace {

class KelvarnctlListenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("flite").isEmpty() ||
            !speech::SphinxSettings{}.modelIsInstalled()) {
            GTEST_SKIP() << "flite or the PocketSphinx model is missing (scripts/setup installs "
                            "them)";
        }
    }

    testing::KelvarnctlOutcome run(std::vector<std::string> args) {
        return testing::runKelvarnctl((temp.path() / "data").string(), std::move(args));
    }

    std::string speak(const std::string& name, const std::string& text) {
        const auto path = (temp.path() / name).string();
        QProcess flite;
        flite.start("flite", {"-voice", "slt", "-t", QString::fromStdString(text), "-o",
                              QString::fromStdString(path)});
        EXPECT_TRUE(flite.waitForFinished(20000));
        return path;
    }

    testing::TempFolder temp;
};

TEST_F(KelvarnctlListenTest, HandsEachHeardUtteranceToTheEngineLikeSay) {
    const auto roster = (temp.path() / "class.txt").string();
    std::ofstream(roster) << "Ford, Nadia\nOmar Haddad\n";
    ASSERT_EQ(run({"roster", roster}).status, 0);

    const auto heard =
        run({"listen", "--partials", "--file", speak("a.wav", "omar haddad intro complete")});
    EXPECT_EQ(heard.status, 0) << heard.err;
    EXPECT_EQ(heard.out, "heard\tomar haddad intro complete\n"
                         "action\t→ Omar Haddad\n"
                         "action\t→ Introduction, Thesis and Roadmap\n"
                         "action\tIntro / Thesis → Complete (17.00/17.00) · Omar Haddad\n");
    // Unfinished transcripts vary with timing; each is one line of its own.
    EXPECT_EQ(heard.err.rfind("partial\t", 0), 0u) << heard.err;
    EXPECT_NE(heard.err.find("\npartial\tomar haddad"), std::string::npos) << heard.err;

    const auto missing = run({"listen", "--file", (temp.path() / "none.wav").string()});
    EXPECT_EQ(missing.status, ctl::exitFailure);
    EXPECT_NE(missing.err.find("none.wav is not a readable file"), std::string::npos)
        << missing.err;
}

} // namespace
} // namespace kelvarn
