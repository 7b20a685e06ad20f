#include "app/CommentsModel.h"

#include <algorithm>

namespace kelvarn::app {

CommentsModel::CommentsModel(QObject* parent) : QAbstractListModel(parent) {}

int CommentsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CommentsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Comment& comment = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return QString::fromStdString(comment.name);
    case TextRole:
        return QString::fromStdString(comment.text);
    case UsesRole:
        return static_cast<qlonglong>(comment.uses);
    default:
        return {};
    }
}

QHash<int, QByteArray> CommentsModel::roleNames() const {
    // Not "text": a delegate's own property of that name cannot be overridden.
    return {{NameRole, "name"}, {TextRole, "commentText"}, {UsesRole, "uses"}};
}

void CommentsModel::setSortByUse(bool sortByUse) {
    if (m_sortByUse == sortByUse) {
        return;
    }
    m_sortByUse = sortByUse;
    emit sortByUseChanged();
    update(m_bank);
}

void CommentsModel::update(const std::vector<Comment>& comments) {
    m_bank = comments;
    std::vector<Comment> rows = shown();
    if (rows == m_rows) {
        return;
    }
    // A bank is a few dozen short lines: showing it anew costs nothing worth avoiding.
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

std::vector<Comment> CommentsModel::shown() const {
    std::vector<Comment> rows = m_bank;
    if (m_sortByUse) {
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Comment& a, const Comment& b) { return a.uses > b.uses; });
    }
    return rows;
}

} // namespace kelvarn::app
