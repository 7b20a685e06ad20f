#include "StoreObject.h"

#include "Assign.h"

namespace kelvarn::app {

StoreObject::StoreObject(GradingStore& store, QObject* parent) : QObject(parent), m_store(store) {
    refreshValues();
    m_subscription = store.addObserver([this](StoreField field) { storeChanged(field); });
}

void StoreObject::storeChanged(StoreField field) {
    switch (field) {
    case StoreField::session:
        emit sessionChanged();
        break;
    case StoreField::feed:
        emit feedChanged();
        break;
    case StoreField::corrections:
        emit correctionsChanged();
        break;
    case StoreField::lastUtterance:
        emit lastUtteranceChanged();
        break;
    default:
        break;
    }
    refreshValues();
}

QStringList StoreObject::feedLines() const {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(m_store.feed().size()));
    for (const FeedItem& item : m_store.feed()) {
        lines.push_back(QString::fromStdString(item.text));
    }
    return lines;
}

void StoreObject::refreshValues() {
    // The question names students and fix depends on the change counter, so these are worked
    // out anew on every notification and announced only when they differ.
    if (assign(m_voicePaused, m_store.voicePaused())) {
        emit voicePausedChanged();
    }
    if (assign(m_pendingQuestion, QString::fromStdString(m_store.pendingQuestion()))) {
        emit pendingQuestionChanged();
    }
    if (assign(m_canUndo, m_store.canUndo())) {
        emit canUndoChanged();
    }
    if (assign(m_lastUndoLabel, QString::fromStdString(m_store.lastUndoLabel().value_or("")))) {
        emit lastUndoLabelChanged();
    }
    if (assign(m_canFixLastUtterance, m_store.canFixLastUtterance())) {
        emit canFixLastUtteranceChanged();
    }
}

} // namespace kelvarn::app
