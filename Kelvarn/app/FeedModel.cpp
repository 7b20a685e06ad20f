#include "app/FeedModel.h"

#include "app/ShownFeedText.h"

#include <algorithm>

namespace kelvarn::app {

FeedModel::FeedModel(QObject* parent) : QAbstractListModel(parent) {}

int FeedModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

QVariant FeedModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const FeedItem& item = m_items[static_cast<std::size_t>(index.row())];
    // Masked only for the roles that show the words: the view asks for every role of a row.
    const auto text = [&] { return m_mask ? m_mask->masked(item.text) : item.text; };
    switch (role) {
    case IdRole:
        return QString::fromStdString(item.id.toString());
    case Qt::DisplayRole:
    case TextRole:
        return QString::fromStdString(text());
    case KindRole:
        return QString::fromUtf8(kindName(item.kind));
    case ShownTextRole:
        return shownFeedText(text()).text;
    case SymbolRole:
        // The glyph a line begins with is never part of a name.
        return shownFeedText(item.text).symbol;
    default:
        return {};
    }
}

QHash<int, QByteArray> FeedModel::roleNames() const {
    return {{IdRole, "itemId"},
            {TextRole, "text"},
            {KindRole, "kind"},
            {ShownTextRole, "shownText"},
            {SymbolRole, "symbol"}};
}

void FeedModel::setMask(const NameMask* mask) {
    m_mask = mask;
    if (!m_items.empty()) {
        emit dataChanged(index(0), index(static_cast<int>(m_items.size()) - 1));
    }
}

void FeedModel::update(const std::deque<FeedItem>& feed) {
    const std::size_t count = std::min(feed.size(), shownLines);
    const auto first = feed.end() - static_cast<std::ptrdiff_t>(count);
    if (m_items.empty()) {
        if (count > 0) {
            beginInsertRows(QModelIndex(), 0, static_cast<int>(count) - 1);
            m_items.assign(first, feed.end());
            endInsertRows();
        }
        return;
    }
    // Where the old window's newest line sits in the new feed; lines after it are new.
    const auto newestShown =
        m_items.empty() ? feed.end() : std::find_if(first, feed.end(), [&](const FeedItem& item) {
            return item.id == m_items.back().id;
        });
    if (newestShown == feed.end()) {
        beginResetModel();
        m_items.assign(first, feed.end());
        endResetModel();
        return;
    }
    const auto keptFrom = std::find_if(m_items.begin(), m_items.end(),
                                       [&](const FeedItem& item) { return item.id == first->id; });
    if (keptFrom == m_items.end()) {
        beginResetModel();
        m_items.assign(first, feed.end());
        endResetModel();
        return;
    }
    if (const auto dropped = keptFrom - m_items.begin(); dropped > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(dropped) - 1);
        m_items.erase(m_items.begin(), keptFrom);
        endRemoveRows();
    }
    const auto added = feed.end() - (newestShown + 1);
    if (added > 0) {
        const int from = static_cast<int>(m_items.size());
        beginInsertRows(QModelIndex(), from, from + static_cast<int>(added) - 1);
        m_items.insert(m_items.end(), newestShown + 1, feed.end());
        endInsertRows();
    }
}

} // namespace kelvarn::app
