#include "model/StudentList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

using Names = std::vector<std::string>;

Names names(const StudentList& list) {
    Names result;
    for (const StudentRecord& record : list) {
        result.push_back(record.name);
    }
    return result;
}

// Undo keeps such copies: each must stay as it was whatever is done to the list afterwards,
// while the records that no change touched stay shared.
TEST(StudentListTest, ASnapshotIsUnaffectedByLaterChanges) {
    StudentList list{StudentRecord(Uuid::generate(), "Ada"), StudentRecord(Uuid::generate(), "Ben"),
                     StudentRecord(Uuid::generate(), "Cy")};
    const StudentList before = list;

    list.erase(1);
    EXPECT_EQ(names(list), (Names{"Ada", "Cy"}));
    EXPECT_EQ(&list[1], &before[2]) << "erasing clones none of the records that stay";
    const StudentList afterErase = list;

    list.push_back(StudentRecord(Uuid::generate(), "Dee"));
    EXPECT_EQ(names(list), (Names{"Ada", "Cy", "Dee"}));
    EXPECT_TRUE(list.sharesRecord(afterErase, 0));
    EXPECT_TRUE(list.sharesRecord(afterErase, 1));

    list.edit(0) = StudentRecord(Uuid::generate(), "Eve");
    EXPECT_EQ(names(list), (Names{"Eve", "Cy", "Dee"}));
    EXPECT_FALSE(list.sharesRecord(afterErase, 0));
    EXPECT_TRUE(list.sharesRecord(afterErase, 1));

    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(names(before), (Names{"Ada", "Ben", "Cy"}));
    EXPECT_EQ(names(afterErase), (Names{"Ada", "Cy"}));

    // Undo restores an older copy and changes it in turn: the newer ones are left alone.
    StudentList restored = before;
    restored.edit(2).overallNotes = "after undo";
    EXPECT_EQ(afterErase[1].overallNotes, "");
    EXPECT_EQ(before[2].overallNotes, "");
}

} // namespace
} // namespace kelvarn
