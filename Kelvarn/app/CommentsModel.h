#pragma once

#include "model/Comment.h"

#include <QAbstractListModel>
#include <QtQmlIntegration>

#include <vector>

namespace kelvarn::app {

// The comment bank as the comments window lists it: in the order comments were added, or the
// most used first (ties in that order).
class CommentsModel final : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(bool sortByUse READ sortByUse WRITE setSortByUse NOTIFY sortByUseChanged)

public:
    enum Role { NameRole = Qt::UserRole + 1, TextRole, UsesRole };

    explicit CommentsModel(QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool sortByUse() const { return m_sortByUse; }
    void setSortByUse(bool sortByUse);
    void update(const std::vector<Comment>& comments);

signals:
    void sortByUseChanged();

private:
    std::vector<Comment> shown() const;

    std::vector<Comment> m_bank;
    std::vector<Comment> m_rows;
    bool m_sortByUse = false;
};

} // namespace kelvarn::app
