// How people name a student whose name is written in several words.
#include "support/ParserRoster.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

using testing::ParserRoster;

std::vector<std::string> keysOf(const CommandParser& parser, const Uuid& id) {
    std::vector<std::string> keys;
    for (const NameKey& key : parser.nameKeys()) {
        if (key.id == id) {
            keys.push_back(key.key);
        }
    }
    return keys;
}

TEST(NameKeyTest, WordsWrittenWithHyphensAndApostrophesAreNamedWhole) {
    ParserRoster roster;
    const Uuid anne = roster.add("Anne-Marie O'Neil");
    const Uuid ola = roster.add("Ola Smith-Jones");
    const Uuid pat = roster.add("Pat Doe");
    const CommandParser parser = roster.parser();

    EXPECT_EQ(keysOf(parser, anne),
              (std::vector<std::string>{"anne marie oneil", "anne", "oneil", "marie oneil",
                                        "anne oneil", "anne marie"}))
        << "the existing keys first and unchanged, then the written given name";
    EXPECT_EQ(parser.matchName("anne marie").ids, std::vector<Uuid>{anne});
    EXPECT_EQ(parser.matchName("oneil").ids, std::vector<Uuid>{anne});
    EXPECT_EQ(parser.matchName("smith jones").ids, std::vector<Uuid>{ola});
    EXPECT_EQ(parser.matchName("ola smith jones").ids, std::vector<Uuid>{ola});
    EXPECT_EQ(keysOf(parser, pat), (std::vector<std::string>{"pat doe", "pat", "doe"}))
        << "a plain name gets nothing new";
}

TEST(NameKeyTest, ARosterThatNamesTheSurnameAddsTheWaysItIsSaid) {
    ParserRoster roster;
    const Uuid lucia = roster.add("Lucía Fernández Ruiz", "Fernández Ruiz");
    const Uuid anna = roster.add("Anna Maria Lopez Garcia", "Lopez Garcia");
    const CommandParser parser = roster.parser();

    for (const char* said : {"lucia fernandez", "fernandez", "fernandez ruiz", "lucia", "ruiz",
                             "lucia fernandez ruiz"}) {
        EXPECT_EQ(parser.matchName(said).ids, std::vector<Uuid>{lucia}) << said;
    }
    for (const char* said : {"anna maria", "lopez", "anna maria lopez", "lopez garcia", "garcia"}) {
        EXPECT_EQ(parser.matchName(said).ids, std::vector<Uuid>{anna}) << said;
    }
    const auto keys = keysOf(parser, anna);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 5),
              (std::vector<std::string>{"anna maria lopez garcia", "anna", "garcia",
                                        "maria lopez garcia", "anna garcia"}));
    EXPECT_EQ(std::count_if(parser.nameKeys().begin(), parser.nameKeys().end(),
                            [](const NameKey& key) { return key.isFullName; }),
              2)
        << "new keys are partial";
    const auto vocabulary = parser.vocabulary();
    EXPECT_TRUE(std::binary_search(vocabulary.begin(), vocabulary.end(), "lucia fernandez"));

    ParserRoster edited;
    const Uuid renamed = edited.add("Lucía Ruiz", "Fernández Ruiz");
    EXPECT_EQ(keysOf(edited.parser(), renamed),
              (std::vector<std::string>{"lucia ruiz", "lucia", "ruiz"}))
        << "a surname that no longer ends the name is ignored";
}

TEST(NameKeyTest, SurnameParticlesAreSaidWithTheSurname) {
    ParserRoster roster;
    const Uuid berg = roster.add("Anna van der Berg", "van der Berg");
    const Uuid cruz = roster.add("Juan de la Cruz");
    const Uuid salem = roster.add("Omar bin Salem", "bin Salem");
    const CommandParser parser = roster.parser();
    for (const auto& [said, who] :
         std::vector<std::pair<std::string, Uuid>>{{"van der berg", berg},
                                                   {"anna van der berg", berg},
                                                   {"berg", berg},
                                                   {"de la cruz", cruz},
                                                   {"juan de la cruz", cruz},
                                                   {"bin salem", salem},
                                                   {"omar salem", salem}}) {
        EXPECT_EQ(parser.matchName(said).ids, std::vector<Uuid>{who}) << said;
    }
    const auto keys = keysOf(parser, berg);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "van"), 0) << "a particle is not a name";
}

TEST(NameKeyTest, StudentsSharingAFirstSurnameAreAskedAbout) {
    ParserRoster roster;
    const Uuid ana = roster.add("Ana García López", "García López");
    const Uuid luis = roster.add("Luis García Pérez", "García Pérez");
    const CommandParser parser = roster.parser();
    EXPECT_EQ(parser.matchName("garcia").ids, (std::vector<Uuid>{ana, luis}));
    EXPECT_EQ(parser.matchName("luis garcia").ids, std::vector<Uuid>{luis});
    const auto parsed = parser.parse("Garcia intro complete");
    ASSERT_EQ(parsed.size(), 1u);
    const auto* commands = std::get_if<parsed::Commands>(&parsed[0]);
    ASSERT_NE(commands, nullptr);
    EXPECT_TRUE(std::holds_alternative<commands::AmbiguousStudent>(commands->commands.front()));
}

} // namespace
} // namespace kelvarn
