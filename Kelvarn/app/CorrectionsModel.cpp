#include "app/CorrectionsModel.h"

#include "language/Correction.h"

#include <algorithm>

namespace kelvarn::app {

namespace {

bool holds(const std::vector<Correction>& rules, const Correction& rule) {
    return std::find(rules.begin(), rules.end(), rule) != rules.end();
}

} // namespace

CorrectionsModel::CorrectionsModel(QObject* parent) : QAbstractListModel(parent) {}

CorrectionsModel::~CorrectionsModel() = default;

int CorrectionsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rules.size());
}

QVariant CorrectionsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Correction& rule = m_rules[static_cast<std::size_t>(index.row())];
    switch (role) {
    case IdRole:
        return QString::fromStdString(rule.id.toString());
    case HeardRole:
        return QString::fromStdString(rule.heard);
    case Qt::DisplayRole:
    case ReplacementRole:
        return QString::fromStdString(rule.replacement);
    default:
        return {};
    }
}

QHash<int, QByteArray> CorrectionsModel::roleNames() const {
    return {{IdRole, "ruleId"}, {HeardRole, "heard"}, {ReplacementRole, "replacement"}};
}

void CorrectionsModel::update(const std::vector<Correction>& rules) {
    removeMissing(rules);
    insertNew(rules);
    // Rules never change in place or move; should that ever happen, show the list as it is.
    if (m_rules != rules) {
        beginResetModel();
        m_rules = rules;
        endResetModel();
    }
}

void CorrectionsModel::removeMissing(const std::vector<Correction>& rules) {
    // From the end, so that the rows still to remove keep their numbers.
    for (auto row = static_cast<int>(m_rules.size()) - 1; row >= 0; --row) {
        if (!holds(rules, m_rules[static_cast<std::size_t>(row)])) {
            beginRemoveRows(QModelIndex(), row, row);
            m_rules.erase(m_rules.begin() + row);
            endRemoveRows();
        }
    }
}

void CorrectionsModel::insertNew(const std::vector<Correction>& rules) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (!holds(m_rules, rules[i])) {
            const auto row = static_cast<int>(std::min(i, m_rules.size()));
            beginInsertRows(QModelIndex(), row, row);
            m_rules.insert(m_rules.begin() + row, rules[i]);
            endInsertRows();
        }
    }
}

} // namespace kelvarn::app
