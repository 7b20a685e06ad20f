#include "language/CommandParser.h"
#include "language/NameMatching.h"

#include "support/ParserRoster.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvarn {
namespace {

using Commands = std::vector<Command>;
using Sentences = std::vector<ParsedSentence>;

ParsedSentence commandsOf(Commands list) {
    return parsed::Commands{std::move(list)};
}

using Roster = testing::ParserRoster;

TEST(PhraseTableTest, HasThePhrasesCommandWordsAndFillers) {
    const CommandParser parser;
    const auto& phrases = parser.phrases();
    ASSERT_EQ(phrases.size(), 64u);
    EXPECT_EQ(phrases[0], (PhraseEntry{{"introduction"}, commands::Section{SectionID::intro}}));
    EXPECT_EQ(phrases[4], (PhraseEntry{{"road", "map"}, commands::Section{SectionID::intro}}));
    EXPECT_EQ(phrases[20], (PhraseEntry{{"complete"}, commands::Level{Level::complete}}));
    EXPECT_EQ(phrases[31], (PhraseEntry{{"undo"}, commands::Undo{}}));
    EXPECT_EQ(phrases[37], (PhraseEntry{{"un", "focus"}, commands::Unfocus{}}));
    EXPECT_EQ(phrases[63], (PhraseEntry{{"nevermind"}, commands::Cancel{}}));

    const std::set<std::string> expected{
        "analysis",   "back",   "cancel",       "claims",    "clear",     "complete", "completed",
        "conclusion", "credit", "delete",       "evidence",  "focus",     "general",  "go",
        "incomplete", "intro",  "introduction", "listening", "map",       "marks",    "mind",
        "mostly",     "never",  "nevermind",    "next",      "note",      "notes",    "pause",
        "previous",   "prior",  "resume",       "road",      "roadmap",   "scratch",  "section",
        "somewhat",   "start",  "stop",         "structure", "student",   "style",    "supporting",
        "thesis",     "un",     "undo",         "unfocus",   "unfocused", "use"};
    EXPECT_EQ(parser.commandWords(), expected);
    EXPECT_EQ(parser.commandWords().size(), 48u);
    EXPECT_EQ(CommandParser::fillers().size(), 32u);
    EXPECT_TRUE(CommandParser::fillers().contains("lets"));
}

TEST(CommandParserTest, ReadsCommandSentences) {
    const CommandParser parser;
    EXPECT_EQ(parser.parse("Next student."), (Sentences{commandsOf({commands::NextStudent{}})}));
    EXPECT_EQ(parser.parse("um okay next student please"),
              (Sentences{commandsOf({commands::NextStudent{}})}));
    EXPECT_EQ(parser.parse("Intro. Mostly."),
              (Sentences{commandsOf({commands::Section{SectionID::intro}}),
                         commandsOf({commands::Level{Level::mostly}})}));
    EXPECT_EQ(parser.parse("intro mostly"),
              (Sentences{commandsOf(
                  {commands::Section{SectionID::intro}, commands::Level{Level::mostly}})}));
    EXPECT_EQ(parser.parse("never mind"), (Sentences{commandsOf({commands::Cancel{}})}));
    EXPECT_EQ(parser.parse("Nevermind!"), (Sentences{commandsOf({commands::Cancel{}})}));
    EXPECT_EQ(parser.parse("un focus"), (Sentences{commandsOf({commands::Unfocus{}})}));
    EXPECT_EQ(parser.parse("go back"), (Sentences{commandsOf({commands::Unfocus{}})}))
        << "one phrase beats the filler go plus back";
    EXPECT_EQ(parser.parse("not complete"),
              (Sentences{commandsOf({commands::Level{Level::incomplete}})}));
}

TEST(CommandParserTest, CostRulesPickTheCheapestCover) {
    Roster roster;
    const Uuid nadia = roster.add("Nadia Ford");
    roster.add("Mark Lowe");
    const CommandParser parser = roster.parser();
    // Four commands at 1.0 each; nadia and ford as two name matches would cost more.
    EXPECT_EQ(parser.parse("Nadia Ford intro complete next student"),
              (Sentences{commandsOf({commands::Student{nadia}, commands::Section{SectionID::intro},
                                     commands::Level{Level::complete}, commands::NextStudent{}})}));
    // "undo last" plus the filler "student" (1.3) beats undo plus previousStudent (2.0).
    EXPECT_EQ(parser.parse("undo last student"), (Sentences{commandsOf({commands::Undo{}})}));
    // A filler (0.3) beats the exact name Mark (1.0).
    EXPECT_EQ(parser.parse("Mark complete"),
              (Sentences{commandsOf({commands::Level{Level::complete}})}));
    EXPECT_EQ(parser.segment({"last", "student"}, true), (Commands{commands::PreviousStudent{}}));
    EXPECT_EQ(parser.segment({}, true), Commands{});
    EXPECT_EQ(parser.segment({"strong"}, true), std::nullopt);
}

TEST(CommandParserTest, FillerOnlySentencesAndTheSecondPass) {
    Roster roster;
    const Uuid mark = roster.add("Mark");
    const CommandParser withMark = roster.parser();
    const CommandParser empty;
    EXPECT_EQ(empty.parse("Let's move on."), (Sentences{parsed::Filler{}}));
    EXPECT_EQ(empty.parse("Student."), (Sentences{parsed::Filler{}}));
    EXPECT_EQ(empty.parse("Mark."), (Sentences{parsed::Filler{}}));
    // The second pass reads the filler word as the one student it names.
    EXPECT_EQ(withMark.parse("Mark."), (Sentences{commandsOf({commands::Student{mark}})}));
    EXPECT_EQ(withMark.parse("so mark"), (Sentences{parsed::Filler{}}))
        << "without fillers, so fits nothing";
    EXPECT_EQ(withMark.segment({"mark"}, false), (Commands{commands::Student{mark}}));
    EXPECT_EQ(empty.parse("... !?"),
              (Sentences{parsed::Filler{}, parsed::Filler{}, parsed::Filler{}, parsed::Filler{},
                         parsed::Filler{}}));
    EXPECT_EQ(empty.parse("  \n\t "), Sentences{});

    Roster students;
    const Uuid student = students.add("Student");
    EXPECT_EQ(students.parser().parse("student"),
              (Sentences{commandsOf({commands::Student{student}})}))
        << "a name matching the word student at 0.95 or more";
}

TEST(CommandParserTest, NotesKeepTheirWording) {
    const CommandParser parser;
    EXPECT_EQ(parser.parse("The thesis is strong."),
              (Sentences{parsed::Note{"The thesis is strong."}}));
    EXPECT_EQ(parser.parse("  Wonderful!  "), (Sentences{parsed::Note{"Wonderful!"}}));
    EXPECT_EQ(parser.parse("Intro mostly. Lovely closing paragraph"),
              (Sentences{
                  commandsOf({commands::Section{SectionID::intro}, commands::Level{Level::mostly}}),
                  parsed::Note{"Lovely closing paragraph"}}));
}

TEST(CommandParserTest, CorrectionsTakeTheRestOfTheSentence) {
    const CommandParser parser;
    EXPECT_EQ(parser.parse("Correction, the thesis is clear."),
              (Sentences{parsed::Correction{"the thesis is clear."}}));
    EXPECT_EQ(parser.parse("CORRECTION: she cites two sources."),
              (Sentences{parsed::Correction{"she cites two sources."}}));
    EXPECT_EQ(parser.parse("Correction."), (Sentences{parsed::Correction{""}}));
    EXPECT_EQ(parser.parse("Correction — \u00a0 fine"), (Sentences{parsed::Correction{"fine"}}));
    EXPECT_EQ(parser.parse("Correction: a. b"),
              (Sentences{parsed::Correction{"a."}, parsed::Note{"b"}}));
    EXPECT_EQ(parser.parse("Corrections are due"),
              (Sentences{parsed::Note{"Corrections are due"}}));
    EXPECT_EQ(parser.parse("A correction is due"),
              (Sentences{parsed::Note{"A correction is due"}}));
}

TEST(CommandParserTest, AmbiguousNamesNameEveryFittingStudent) {
    Roster roster;
    const Uuid ford = roster.add("Nadia Ford");
    const Uuid other = roster.add("Ben Okafor");
    const Uuid lowe = roster.add("Nadia Lowe");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.parse("Nadia"),
              (Sentences{commandsOf({commands::AmbiguousStudent{{ford, lowe}}})}));
    EXPECT_EQ(parser.parse("Nadia Lowe, conclusion"),
              (Sentences{commandsOf(
                  {commands::Student{lowe}, commands::Section{SectionID::conclusion}})}));
    EXPECT_EQ(parser.parse("Okafor"), (Sentences{commandsOf({commands::Student{other}})}));
}

TEST(CommandParserTest, AWeakMatchMayNotSwallowACommandWord) {
    Roster roster;
    const Uuid clara = roster.add("Clara Nott");
    roster.add("Styles");
    const CommandParser parser = roster.parser();
    // "style" is one edit from the full name "styles" (0.833 + 0.01): a weak match, and a
    // command word, so it is the section.
    EXPECT_GT(parser.matchName("style").score, 0.8);
    EXPECT_LT(parser.matchName("style").score, name_matching::strongMatch);
    EXPECT_EQ(parser.parse("style"),
              (Sentences{commandsOf({commands::Section{SectionID::style}})}));
    // "clara notes" is weak (anchored by clara: (1 + 0.7) / 2 + 0.01) and holds "notes".
    const NameMatch weak = parser.matchName("clara notes");
    EXPECT_EQ(weak.ids, (std::vector<Uuid>{clara}));
    EXPECT_LT(weak.score, name_matching::strongMatch);
    EXPECT_EQ(parser.segment({"clara", "notes"}, true), std::nullopt)
        << "the weak span may not contain notes, and notes alone fits nothing";
    // A strong match may contain a command word.
    Roster strong;
    const Uuid grace = strong.add("Grace Style");
    EXPECT_EQ(strong.parser().parse("Grace Style"),
              (Sentences{commandsOf({commands::Student{grace}})}));
}

TEST(CommandParserTest, SurvivesHostileInput) {
    Roster roster;
    roster.add("Zoë Ñúñez");
    roster.add("Đặng Văn Minh");
    roster.add("!!!");
    roster.add("");
    roster.add("👩‍👩‍👧");
    roster.add("אבי כהן");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.nameKeys().size(), 3u + 5u + 3u);
    EXPECT_EQ(parser.maxNameTokens(), 3u);
    EXPECT_EQ(parser.parse("\xff\xfe\xc3"), (Sentences{parsed::Filler{}}));
    EXPECT_EQ(parser.parse("zoe nunez"),
              (Sentences{commandsOf({commands::Student{roster.entries[0].id}})}));
    EXPECT_EQ(parser.parse("אבי כהן"),
              (Sentences{commandsOf({commands::Student{roster.entries[5].id}})}));
    std::string longText;
    for (int i = 0; i < 10000; ++i) {
        longText += (i % 7 == 0) ? "next student " : "word ";
    }
    const Sentences sentences = parser.parse(longText);
    ASSERT_EQ(sentences.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<parsed::Note>(sentences[0]));
    std::string commandsOnly;
    for (int i = 0; i < 5000; ++i) {
        commandsOnly += "next student ";
    }
    const Sentences many = parser.parse(commandsOnly);
    ASSERT_EQ(many.size(), 1u);
    EXPECT_EQ(std::get<parsed::Commands>(many[0]).commands.size(), 5000u);
}

} // namespace
} // namespace kelvarn
