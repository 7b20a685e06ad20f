#pragma once

#include "language/NameMask.h"
#include "model/FeedItem.h"

#include <QAbstractListModel>
#include <QtQmlIntegration>

#include <deque>
#include <vector>

namespace kelvarn::app {

// The newest lines of the activity feed, oldest first. New lines are inserted at the end and
// lines that fell out of the window removed at the front, so the list never resets as it grows.
class FeedModel final : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")

public:
    static constexpr std::size_t shownLines = 40;

    // The text as logged, the text as shown and the symbol that replaces a glyph it began with
    // (empty when none did).
    enum Role { IdRole = Qt::UserRole + 1, TextRole, KindRole, ShownTextRole, SymbolRole };

    // Not default-constructible: QML never makes one of its own.
    explicit FeedModel(QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void update(const std::deque<FeedItem>& feed);
    // Texts shown through the mask (anonymous grading), or as logged when null. The mask must
    // outlive its use here.
    void setMask(const NameMask* mask);

private:
    std::vector<FeedItem> m_items;
    const NameMask* m_mask = nullptr;
};

} // namespace kelvarn::app
