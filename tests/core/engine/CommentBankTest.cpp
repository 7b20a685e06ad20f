// The comment bank: filing comments by voice, and keeping the bank in its own file.
#include "engine/GradingStore.h"
#include "persistence/FileIO.h"
#include "support/StoreHarness.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* vague = "State your claim in one sentence at the end of the first paragraph.";

class CommentBankTest : public ::testing::Test {
protected:
    CommentBankTest() {
        store.addComment("Thesis vague", vague);
        store.addComment("Cite sources", "Give a page number for every quotation.");
        h.newFeed();
    }

    testing::StoreHarness h{{"Nadia Ford", "Omar Haddad"}};
    GradingStore& store = h.store;
};

TEST_F(CommentBankTest, ACommentJoinsTheFocusedNotesAsOneUndoableStep) {
    store.handleTranscript("nadia ford intro comment thesis vague");
    const NotesTarget intro = SectionNotes{h.id(0), SectionID::intro};
    EXPECT_EQ(store.notes(intro), vague);
    EXPECT_EQ(h.newFeed(),
              (Lines{"heard: nadia ford intro comment thesis vague", "action: → Nadia Ford",
                     "action: → Introduction, Thesis and Roadmap",
                     std::string("note: Comment “Thesis vague” → Nadia Ford · Intro / Thesis: “") +
                         vague + "”"}));

    // Misheard a little, and after dictation: one space between.
    store.handleTranscript("comment site sources");
    EXPECT_EQ(store.notes(intro), std::string(vague) + " Give a page number for every quotation.");
    store.undo();
    EXPECT_EQ(store.notes(intro), vague) << "one step each";

    // With only the student focused, it goes to the overall comments.
    store.handleTranscript("omar haddad. comment Thesis Vague");
    EXPECT_EQ(store.notes(OverallNotes{h.id(1)}), vague);
    EXPECT_EQ(store.comments()[0].uses, 2);
    EXPECT_EQ(store.comments()[1].uses, 1) << "an undone use was still a use";
}

TEST_F(CommentBankTest, AnUnknownOrUnclearNameFilesNothing) {
    store.focusStudent(h.id(0));
    const Session before = store.session();
    h.newFeed();
    store.handleTranscript("comment grammar");
    EXPECT_EQ(h.newFeed(), (Lines{"heard: comment grammar",
                                  "warning: No comment called “grammar” — nothing filed"}));

    store.addComment("Cite source", "Name the source.");
    h.newFeed();
    store.handleTranscript("comment cite sourced");
    const Lines feed = h.newFeed();
    ASSERT_EQ(feed.size(), 2u);
    EXPECT_EQ(feed[1], "warning: “cite sourced” could be “Cite sources” or “Cite source” — nothing "
                       "filed; say the name again");
    EXPECT_EQ(store.session(), before);

    store.unfocus();
    h.newFeed();
    store.handleTranscript("comment thesis vague");
    EXPECT_EQ(h.newFeed().back(),
              "warning: Not filed (no student focused): comment “Thesis vague”");
    EXPECT_EQ(store.comments()[0].uses, 0);
}

TEST_F(CommentBankTest, LongerSentencesAfterCommentAreStillDictation) {
    store.focusStudent(h.id(0));
    store.handleTranscript("Comment on how the second paragraph changes the subject.");
    EXPECT_EQ(store.notes(OverallNotes{h.id(0)}),
              "Comment on how the second paragraph changes the subject.");
}

TEST_F(CommentBankTest, EditingKeepsNamesUniqueAsTheyAreSpoken) {
    EXPECT_TRUE(store.addComment("  thesis   VAGUE ", "Say it in one sentence."));
    ASSERT_EQ(store.comments().size(), 2u) << "the same name as spoken gets the new text";
    EXPECT_EQ(store.comments()[0].text, "Say it in one sentence.");
    EXPECT_EQ(h.newFeed(), (Lines{"action: Comment changed: “thesis   VAGUE”"}));

    EXPECT_FALSE(store.editComment("thesis vague", "Cite Sources", "x"));
    EXPECT_FALSE(store.addComment("a b c d e", "Too long a name to say after the word."));
    EXPECT_FALSE(store.addComment("!!", "No word in the name."));
    EXPECT_FALSE(store.addComment("Empty", "  "));
    EXPECT_FALSE(store.removeComment("grammar"));
    EXPECT_EQ(h.newFeed().size(), 5u) << "each refusal says why";
    EXPECT_EQ(store.comments().size(), 2u);

    EXPECT_TRUE(store.editComment("cite sources", "Cite pages", "Page numbers, please."));
    EXPECT_TRUE(store.removeComment("THESIS VAGUE"));
    ASSERT_EQ(store.comments().size(), 1u);
    EXPECT_EQ(store.comments()[0].name, "Cite pages");

    const auto vocabulary = store.recognizerVocabulary();
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "comment cite pages"));
}

TEST_F(CommentBankTest, ImportMergesByName) {
    store.importComments({{"thesis vague", vague},
                          {"Cite sources", "New text."},
                          {"Transitions", "Link each paragraph to the one before."},
                          {"one two three four five", "left out"}},
                         2);
    EXPECT_EQ(h.newFeed(),
              (Lines{"action: Imported 3 comments: 1 new, 1 with a new text, 1 already there; 3 "
                     "rows were left out (a comment needs a short name of at most 4 words and a "
                     "text)"}));
    ASSERT_EQ(store.comments().size(), 3u);
    EXPECT_EQ(store.comments()[1].text, "New text.");
}

class CommentFileTest : public ::testing::Test {
protected:
    fs::path folder() const { return temp.path() / "Kelvarn"; }
    std::string read(const std::string& name) const {
        const auto text = readWholeFile(folder() / name);
        return text ? text.value() : std::string("<unreadable>");
    }

    testing::TempFolder temp;
    testing::FakeClock clock;
};

TEST_F(CommentFileTest, TheBankAndItsUsesOutliveTheRun) {
    {
        GradingStore store(folder(), clock.clock());
        store.loadRoster({"Nadia Ford"});
        store.addComment("Thesis vague", vague);
        store.handleTranscript("nadia ford comment thesis vague");
    }
    EXPECT_EQ(read("comments.json"),
              std::string("[{\"name\":\"Thesis vague\",\"text\":\"") + vague + "\",\"uses\":1}]");
    struct stat info {};
    ASSERT_EQ(stat((folder() / "comments.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);

    GradingStore reopened(folder(), clock.clock());
    ASSERT_EQ(reopened.comments().size(), 1u);
    EXPECT_EQ(reopened.comments()[0].uses, 1);
}

TEST_F(CommentFileTest, AnUnreadableBankIsSetAsideOrNeverSavedOver) {
    fs::create_directories(folder());
    std::ofstream(folder() / "comments.json") << "[{\"name\": 3}]";
    clock.now = fromSecondsSinceReferenceDate(794412429.0); // 2026-03-05T14:07:09Z
    {
        GradingStore store(folder(), clock.clock());
        EXPECT_TRUE(store.comments().empty());
        ASSERT_FALSE(store.feed().empty());
        EXPECT_EQ(store.feed().back().text,
                  "Couldn't read the comment bank, so they were set aside in "
                  "comments-unreadable-2026-03-05T14-07-09Z.json. Nothing was deleted.");
        EXPECT_EQ(read("comments-unreadable-2026-03-05T14-07-09Z.json"), "[{\"name\": 3}]");
    }

    // A file that cannot even be read is left alone, and nothing is saved over it.
    fs::remove(folder() / "comments.json");
    fs::create_directory(folder() / "comments.json");
    GradingStore store(folder(), clock.clock());
    ASSERT_FALSE(store.feed().empty());
    EXPECT_NE(store.feed().back().text.find("no comment will be saved over them"),
              std::string::npos)
        << store.feed().back().text;
    store.addComment("Thesis vague", vague);
    EXPECT_EQ(store.feed().back().text, "Couldn't save the comment bank: comments.json could not "
                                        "be read, so it is kept as it is");
    EXPECT_EQ(store.comments().size(), 1u) << "it still holds for this run";
    EXPECT_TRUE(fs::is_directory(folder() / "comments.json"));
}

} // namespace
} // namespace kelvarn
