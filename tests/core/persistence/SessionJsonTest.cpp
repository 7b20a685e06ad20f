#include "persistence/SessionJson.h"
#include "persistence/JsonCodecs.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

const char* const adaID = "0F8FAD5B-D9CB-469F-A165-70867728950E";

Session sampleSession() {
    Session session;
    StudentRecord ada(*Uuid::parse(adaID), "Zoë O’Brien");
    ada.sections[SectionID::style] = SectionGrade{Level::mostly, "Clear.\nShort paragraphs."};
    ada.sections[SectionID::intro] = SectionGrade{std::nullopt, "Thesis is \"implied\"."};
    ada.overallNotes = "Good work";
    session.students.push_back(ada);
    session.students.push_back(StudentRecord(Uuid::generate(), "Ben"));
    StudentRecord lucia(Uuid::generate(), "Lucía Fernández Ruiz");
    lucia.surname = "Fernández Ruiz";
    session.students.push_back(lucia);
    session.focus = Focus{ada.id, SectionID::style};
    return session;
}

TEST(SessionJsonTest, WritesMembersInOrderCompactWithUpperCaseIDs) {
    Session session;
    StudentRecord ada(*Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e"), "Ada");
    ada.sections[SectionID::style] = SectionGrade{Level::mostly, "n"};
    ada.sections[SectionID::intro] = SectionGrade{std::nullopt, ""};
    session.students.push_back(ada);
    session.focus.studentID = ada.id;

    EXPECT_EQ(encodeSession(session),
              std::string(R"({"students":[{"id":")") + adaID +
                  R"(","name":"Ada","sections":{"intro":{"notes":""},"style":{"level":"mostly",)"
                  R"("notes":"n"}},"overallNotes":""}],"focus":{"studentID":")" +
                  adaID + R"("}})");
    EXPECT_EQ(toJson(Focus{}).dump(), "{}");
}

TEST(SessionJsonTest, RoundTripsAndAcceptsAnyMemberOrderAndCase) {
    const Session session = sampleSession();
    const auto decoded = decodeSession(encodeSession(session));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), session);

    const auto reordered =
        decodeSession(R"({"focus":{"section":null},"students":[{"overallNotes":"","sections":{},)"
                      R"("name":"Ada","id":"0f8fad5b-d9cb-469f-a165-70867728950e"}]})");
    ASSERT_TRUE(reordered) << reordered.error();
    EXPECT_EQ(reordered.value().students[0].id, *Uuid::parse(adaID));
    EXPECT_EQ(reordered.value().focus, Focus{});
}

TEST(SessionJsonTest, EveryKindOfDamageMakesTheDocumentUnreadable) {
    const std::string good = encodeSession(sampleSession());
    ASSERT_TRUE(decodeSession(good));

    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };

    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"not JSON", "{\"students\": ["},
        {"empty", ""},
        {"array at top", "[]"},
        {"missing students", R"({"focus":{}})"},
        {"missing focus", R"({"students":[]})"},
        {"missing id", replaced(std::string("\"id\":\"") + adaID + "\",", "")},
        {"missing name", replaced("\"name\":\"Zoë O’Brien\",", "")},
        {"missing sections", replaced("\"sections\":", "\"sectionz\":")},
        {"missing overallNotes", replaced("\"overallNotes\"", "\"overall\"")},
        {"missing notes", replaced("\"notes\":\"Clear.", "\"note\":\"Clear.")},
        {"unknown section", replaced("\"style\":", "\"Style\":")},
        {"unknown level", replaced("\"mostly\"", "\"Mostly\"")},
        {"malformed id", replaced(adaID, "0F8FAD5B-D9CB-469F-A165-70867728950")},
        {"id not hex", replaced(adaID, "0F8FAD5B-D9CB-469F-A165-70867728950G")},
        {"malformed focus id",
         replaced(std::string("\"studentID\":\"") + adaID, "\"studentID\":\"nobody")},
        {"unknown focus section", replaced("\"section\":\"style\"", "\"section\":\"body\"")},
        {"name not a string", replaced("\"name\":\"Ben\"", "\"name\":42")},
        {"level not a string", replaced("\"level\":\"mostly\"", "\"level\":1")},
        {"sections an array", replaced("\"sections\":{}", "\"sections\":[]")},
        {"invalid UTF-8", replaced("Good work", "Good \xff work")},
    };
    for (const auto& [what, text] : damaged) {
        const auto result = decodeSession(text);
        EXPECT_FALSE(result) << what;
        if (!result) {
            EXPECT_FALSE(result.error().empty()) << what;
        }
    }
}

TEST(SessionJsonTest, InvalidUTF8InNotesIsRepairedOnWriting) {
    Session session = testing::sessionWithStudents({"Ada"});
    session.students.edit(0).overallNotes = "bad \xc3 byte";
    const auto decoded = decodeSession(encodeSession(session));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value().students[0].overallNotes, "bad \xEF\xBF\xBD byte");
}

} // namespace
} // namespace kelvarn
