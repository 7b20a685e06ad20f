#include "app/CorrectionsModel.h"
#include "app/StoreObject.h"
#include "support/QtPrinting.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace kelvarn {
namespace {

TEST(CorrectionsModelTest, RulesJoinAndLeaveRowByRowInTheStoresOrder) {
    GradingStore store(SavedState{});
    app::StoreObject object(store);
    app::CorrectionsModel* rules = object.corrections();
    QSignalSpy reset(rules, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(rules, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(rules, &QAbstractItemModel::rowsRemoved);
    const auto heard = [&](int row) {
        return rules->data(rules->index(row), app::CorrectionsModel::HeardRole).toString();
    };

    store.addCorrection(Correction("nadir", "Nadia"));
    store.addCorrection(Correction("a lease", "Elise"));
    store.addCorrection(Correction("for", "Ford"));
    ASSERT_EQ(rules->rowCount(), 3);
    EXPECT_EQ(inserted.count(), 3);
    EXPECT_EQ(inserted.at(2).at(1), 2) << "appended";

    store.addCorrection(Correction("Nadir", "Nadja"));
    EXPECT_EQ(removed.count(), 1) << "the rule for the same words goes";
    EXPECT_EQ(removed.at(0).at(1), 0);
    EXPECT_EQ(heard(0), "a lease");
    EXPECT_EQ(heard(2), "nadir");
    EXPECT_EQ(rules->data(rules->index(2), app::CorrectionsModel::ReplacementRole), "Nadja");

    store.removeCorrection(store.corrections()[1].id);
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(removed.at(1).at(1), 1);
    EXPECT_EQ(rules->rowCount(), 2);
    EXPECT_EQ(rules->data(rules->index(0), app::CorrectionsModel::IdRole),
              QString::fromStdString(store.corrections()[0].id.toString()));
    EXPECT_EQ(reset.count(), 0);
}

} // namespace
} // namespace kelvarn
