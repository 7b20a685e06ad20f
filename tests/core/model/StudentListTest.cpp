#include "model/StudentList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvarn {
namespace {

TEST(StudentListTest, CopiesBehaveAsIndependentValues) {
    StudentList original{StudentRecord(Uuid::generate(), "Ada"),
                         StudentRecord(Uuid::generate(), "Ben")};
    StudentList copy = original;
    EXPECT_TRUE(copy.sharesRecord(original, 0));

    copy.edit(0).overallNotes = "changed";
    EXPECT_EQ(original[0].overallNotes, "");
    EXPECT_EQ(copy[0].overallNotes, "changed");
    EXPECT_FALSE(copy.sharesRecord(original, 0));
    EXPECT_TRUE(copy.sharesRecord(original, 1));
    EXPECT_NE(copy, original);

    // A second change to the now unshared record must not clone or disturb anything.
    const StudentRecord* edited = &copy[0];
    copy.edit(0).name = "Ada B.";
    EXPECT_EQ(&copy[0], edited);
    EXPECT_EQ(original[0].name, "Ada");

    copy.edit(0) = original[0];
    EXPECT_EQ(copy, original) << "equal contents compare equal even when not shared";
}

TEST(StudentListTest, ListOperations) {
    StudentList list;
    EXPECT_TRUE(list.empty());
    list.push_back(StudentRecord(Uuid::generate(), "Ada"));
    list.push_back(StudentRecord(Uuid::generate(), "Ben"));
    list.push_back(StudentRecord(Uuid::generate(), "Cy"));
    StudentList snapshot = list;
    list.erase(1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "Cy");
    EXPECT_EQ(snapshot.size(), 3u);

    std::vector<std::string> names;
    for (const auto& record : snapshot) {
        names.push_back(record.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Ada", "Ben", "Cy"}));
    const auto it = std::find_if(snapshot.begin(), snapshot.end(),
                                 [](const StudentRecord& r) { return r.name == "Cy"; });
    EXPECT_EQ(it - snapshot.begin(), 2);
}

} // namespace
} // namespace kelvarn
