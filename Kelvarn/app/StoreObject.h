#pragma once

#include "app/CommentsModel.h"
#include "app/CorrectionsModel.h"
#include "app/FeedModel.h"
#include "app/StudentListModel.h"
#include "engine/GradingStore.h"
#include "language/NameMask.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQmlIntegration>

#include <optional>
#include <string>
#include <vector>

namespace kelvarn::app {

// The grading store as QML sees it: its changes as signals, a few values as properties. Each
// signal is re-emitted from the store's own per-field notifications, once they are in place,
// and a property's signal fires only when its value changed. Operations go to the store.
// Main thread only, like the store.
class StoreObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(bool voicePaused READ voicePaused NOTIFY voicePausedChanged)
    // Anonymous grading: every name the views show is "Student N", N the place in the class.
    Q_PROPERTY(bool anonymous READ anonymous WRITE setAnonymous NOTIFY anonymousChanged)
    Q_PROPERTY(QString pendingQuestion READ pendingQuestion NOTIFY pendingQuestionChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChanged)
    Q_PROPERTY(QString lastUndoLabel READ lastUndoLabel NOTIFY lastUndoLabelChanged)
    Q_PROPERTY(bool canFixLastUtterance READ canFixLastUtterance NOTIFY canFixLastUtteranceChanged)
    Q_PROPERTY(bool hasPending READ hasPending NOTIFY pendingQuestionChanged)
    // The students a "Which one?" question offers, as {id, name}; empty for other questions.
    Q_PROPERTY(QVariantList pendingChoices READ pendingChoices NOTIFY pendingQuestionChanged)
    Q_PROPERTY(kelvarn::app::StudentListModel* students READ students CONSTANT)
    Q_PROPERTY(kelvarn::app::FeedModel* feed READ feedModel CONSTANT)
    Q_PROPERTY(kelvarn::app::CorrectionsModel* corrections READ corrections CONSTANT)
    Q_PROPERTY(kelvarn::app::CommentsModel* comments READ comments CONSTANT)
    Q_PROPERTY(bool hasLastUtterance READ hasLastUtterance NOTIFY lastUtteranceChanged)
    // The text that was acted on; empty when nothing was heard yet.
    Q_PROPERTY(QString lastUtteranceText READ lastUtteranceText NOTIFY lastUtteranceChanged)
    // The id of the feed line showing the last heard utterance; empty when there is none.
    Q_PROPERTY(QString lastUtteranceFeedId READ lastUtteranceFeedId NOTIFY lastUtteranceChanged)
    Q_PROPERTY(bool rosterEmpty READ rosterEmpty NOTIFY sessionChanged)
    // "C of N fully graded"
    Q_PROPERTY(QString progressText READ progressText NOTIFY sessionChanged)
    Q_PROPERTY(bool hasFocusedStudent READ hasFocusedStudent NOTIFY sessionChanged)
    // The focused section's raw value; empty when no section is focused.
    Q_PROPERTY(QString focusedSection READ focusedSection NOTIFY sessionChanged)
    // The focused student as the detail view shows it (id, name, totals, sections, notes).
    Q_PROPERTY(QVariantMap focusedStudent READ focusedStudent NOTIFY sessionChanged)
    // "Name › Section · Level" for the compact view.
    Q_PROPERTY(QString focusText READ focusText NOTIFY sessionChanged)
    // The newest feed line that is not a heard one, as shown, its kind, and the symbol shown for
    // a glyph it began with; empty when there is none.
    Q_PROPERTY(QString latestResult READ latestResult NOTIFY feedChanged)
    Q_PROPERTY(QString latestResultKind READ latestResultKind NOTIFY feedChanged)
    Q_PROPERTY(QString latestResultSymbol READ latestResultSymbol NOTIFY feedChanged)
    // The text of the newest heard line; empty when the feed holds none.
    Q_PROPERTY(QString lastHeard READ lastHeard NOTIFY lastHeardChanged)
    // The rubric's sections and levels, in order, with the texts the views show.
    Q_PROPERTY(QVariantList sections READ sections CONSTANT)
    Q_PROPERTY(QVariantList levels READ levels CONSTANT)

public:
    explicit StoreObject(GradingStore& store, QObject* parent = nullptr);

    GradingStore& store() const { return m_store; }

    bool voicePaused() const { return m_voicePaused; }
    bool anonymous() const { return m_mask.has_value(); }
    void setAnonymous(bool anonymous);
    // A text as the views show it: with names hidden while grading anonymously.
    Q_INVOKABLE QString shown(const QString& text) const;
    std::string shown(const std::string& text) const;
    // What the user typed over a shown text, with "Student N" read back as that student's name.
    std::string unmasked(const std::string& text) const;
    QString pendingQuestion() const { return m_pendingQuestion; }
    bool canUndo() const { return m_canUndo; }
    QString lastUndoLabel() const { return m_lastUndoLabel; }
    bool canFixLastUtterance() const { return m_canFixLastUtterance; }
    bool hasPending() const { return m_store.pending().has_value(); }
    QVariantList pendingChoices() const;
    StudentListModel* students() { return &m_students; }
    FeedModel* feedModel() { return &m_feed; }
    CorrectionsModel* corrections() { return &m_corrections; }
    CommentsModel* comments() { return &m_comments; }
    bool hasLastUtterance() const { return m_store.lastUtterance().has_value(); }
    QString lastUtteranceText() const;
    QString lastUtteranceFeedId() const;
    bool rosterEmpty() const { return m_store.session().students.empty(); }
    QString progressText() const;
    bool hasFocusedStudent() const { return m_store.session().focusedStudent().has_value(); }
    QString focusedSection() const;
    QVariantMap focusedStudent() const;
    QString focusText() const;
    QString latestResult() const;
    QString latestResultKind() const;
    QString latestResultSymbol() const;
    QString lastHeard() const { return m_lastHeard; }
    static QVariantList sections();
    static QVariantList levels();

    Q_INVOKABLE void undo() { m_store.undo(); }
    Q_INVOKABLE void cancelPending() { m_store.cancelPending(); }
    Q_INVOKABLE void setVoicePaused(bool paused) { m_store.setVoicePaused(paused); }
    // An empty id or section means none; texts that name nothing known are ignored. While a
    // question is open, a student picked answers it, as their name said would.
    Q_INVOKABLE void focusStudent(const QString& studentID);
    Q_INVOKABLE void focusSection(const QString& section);
    Q_INVOKABLE void unfocus() { m_store.unfocus(); }
    // An empty level clears the section's level.
    Q_INVOKABLE void setLevel(const QString& level, const QString& studentID,
                              const QString& section);
    // An empty section means the student's overall comments.
    Q_INVOKABLE void editNotes(const QString& text, const QString& studentID,
                               const QString& section);
    // The same command execution as spoken commands, without a heard line.
    Q_INVOKABLE void previousStudent() { m_store.execute(commands::PreviousStudent{}); }
    Q_INVOKABLE void nextStudent() { m_store.execute(commands::NextStudent{}); }
    Q_INVOKABLE void previousSection() { m_store.execute(commands::PreviousSection{}); }
    Q_INVOKABLE void nextSection() { m_store.execute(commands::NextSection{}); }
    Q_INVOKABLE void gradeFocused(const QString& level);

    // The rule that fixing heard into corrected would teach, as {heard, replacement}; empty
    // when the fix teaches none.
    Q_INVOKABLE static QVariantMap suggestedCorrection(const QString& heard,
                                                       const QString& corrected);
    // Whether the text, read as one sentence, is a student's name and nothing else: a fix to
    // such a text is most likely a misheard name, worth remembering as a rule.
    Q_INVOKABLE bool namesOneStudent(const QString& text) const;

signals:
    void sessionChanged();
    void feedChanged();
    void correctionsChanged();
    void lastUtteranceChanged();
    void voicePausedChanged();
    void anonymousChanged();
    void pendingQuestionChanged();
    void canUndoChanged();
    void lastUndoLabelChanged();
    void canFixLastUtteranceChanged();
    void lastHeardChanged();

private:
    void storeChanged(StoreField field);
    void refreshValues();
    void refreshLastHeard();
    // The class's names, in order, when they are no longer those the mask was made for.
    std::optional<std::vector<std::string>> newNames() const;
    void remask();

    GradingStore& m_store;
    StudentListModel m_students{this};
    FeedModel m_feed{this};
    CorrectionsModel m_corrections{this};
    CommentsModel m_comments{this};
    bool m_voicePaused = false;
    std::optional<NameMask> m_mask;
    std::vector<std::string> m_maskedNames;
    QString m_pendingQuestion;
    bool m_canUndo = false;
    QString m_lastUndoLabel;
    bool m_canFixLastUtterance = false;
    QString m_lastHeard;
    GradingStore::Subscription m_subscription;
};

} // namespace kelvarn::app
