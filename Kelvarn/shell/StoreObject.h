#pragma once

#include "engine/GradingStore.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace kelvarn::app {

// The grading store as QML sees it: its changes as signals, a few values as properties. Each
// signal is re-emitted from the store's own per-field notifications, once they are in place,
// and a property's signal fires only when its value changed. Operations go to the store.
// Main thread only, like the store.
class StoreObject final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool voicePaused READ voicePaused NOTIFY voicePausedChanged)
    Q_PROPERTY(QString pendingQuestion READ pendingQuestion NOTIFY pendingQuestionChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChanged)
    Q_PROPERTY(QString lastUndoLabel READ lastUndoLabel NOTIFY lastUndoLabelChanged)
    Q_PROPERTY(bool canFixLastUtterance READ canFixLastUtterance NOTIFY canFixLastUtteranceChanged)
    // The activity feed's texts, oldest first.
    Q_PROPERTY(QStringList feedLines READ feedLines NOTIFY feedChanged)

public:
    explicit StoreObject(GradingStore& store, QObject* parent = nullptr);

    GradingStore& store() const { return m_store; }

    bool voicePaused() const { return m_voicePaused; }
    QString pendingQuestion() const { return m_pendingQuestion; }
    bool canUndo() const { return m_canUndo; }
    QString lastUndoLabel() const { return m_lastUndoLabel; }
    bool canFixLastUtterance() const { return m_canFixLastUtterance; }
    QStringList feedLines() const;

    Q_INVOKABLE void undo() { m_store.undo(); }
    Q_INVOKABLE void cancelPending() { m_store.cancelPending(); }
    Q_INVOKABLE void setVoicePaused(bool paused) { m_store.setVoicePaused(paused); }

signals:
    void sessionChanged();
    void feedChanged();
    void correctionsChanged();
    void lastUtteranceChanged();
    void voicePausedChanged();
    void pendingQuestionChanged();
    void canUndoChanged();
    void lastUndoLabelChanged();
    void canFixLastUtteranceChanged();

private:
    void storeChanged(StoreField field);
    void refreshValues();

    GradingStore& m_store;
    bool m_voicePaused = false;
    QString m_pendingQuestion;
    bool m_canUndo = false;
    QString m_lastUndoLabel;
    bool m_canFixLastUtterance = false;
    GradingStore::Subscription m_subscription;
};

} // namespace kelvarn::app
