// The comment bank's own file and its CSV form.
#include "persistence/CommentCsv.h"
#include "persistence/CommentJson.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

using Comments = std::vector<Comment>;

TEST(CommentFilesTest, CsvRoundTripsWhatASpreadsheetWouldBreak) {
    const Comments bank{{"Thesis vague", "State your claim, then argue it.", 4},
                        {"Quote", "He said \"no\".\nThen left."},
                        {"Minus", "-1 for a missing title"},
                        {"Formula", "=HYPERLINK(\"x\")"}};
    const std::string csv = commentCsv::csv(bank);
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "Name,Text\r\n");
    EXPECT_NE(csv.find("'=HYPERLINK"), std::string::npos) << "not run by a spreadsheet";

    const commentCsv::Parsed parsed = commentCsv::parse(csv);
    ASSERT_EQ(parsed.comments.size(), bank.size());
    for (std::size_t i = 0; i < bank.size(); ++i) {
        EXPECT_EQ(parsed.comments[i].name, bank[i].name);
        EXPECT_EQ(parsed.comments[i].text, bank[i].text);
        EXPECT_EQ(parsed.comments[i].uses, 0) << "uses stay with the bank they were counted in";
    }
}

TEST(CommentFilesTest, CsvFromElsewhereNeedsNoHeaderAndSkipsHalfRows) {
    const commentCsv::Parsed parsed = commentCsv::parse(
        "\xEF\xBB\xBFthesis vague,\"State it, clearly.\",extra\r\nno text\r\n,no name\n"
        "  Flow  ,  Link the paragraphs.  \n"
        "Sum, \t'=SUM(A1)\n");
    ASSERT_EQ(parsed.comments.size(), 3u);
    EXPECT_EQ(parsed.comments[0], (Comment{"thesis vague", "State it, clearly."}));
    EXPECT_EQ(parsed.comments[1], (Comment{"Flow", "Link the paragraphs."}));
    EXPECT_EQ(parsed.comments[2], (Comment{"Sum", "=SUM(A1)"}))
        << "the guard is taken off after the spaces before it";
    EXPECT_EQ(parsed.skippedRows, 2u);
}

TEST(CommentFilesTest, TheBankFileIsStrict) {
    const Comments bank{{"Thesis vague", "Say it once.", 2}};
    const std::string text = encodeComments(bank);
    EXPECT_EQ(text, R"([{"name":"Thesis vague","text":"Say it once.","uses":2}])");
    ASSERT_TRUE(decodeComments(text));
    EXPECT_EQ(decodeComments(text).value(), bank);
    EXPECT_EQ(decodeComments(R"([{"name":"a","text":"b"}])").value(), (Comments{{"a", "b", 0}}));
    EXPECT_EQ(decodeComments(R"([{"name":"a","text":"b","uses":-5}])").value()[0].uses, 0);
    EXPECT_FALSE(decodeComments(R"([{"name":"a"}])"));
    EXPECT_FALSE(decodeComments(R"({"name":"a","text":"b"})"));
    EXPECT_FALSE(decodeComments(R"([{"name":"a","text":"b","uses":"many"}])"));
}

} // namespace
} // namespace kelvarn
