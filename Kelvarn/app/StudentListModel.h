#pragma once

#include "model/Session.h"

#include <QAbstractListModel>
#include <QtQmlIntegration>

namespace kelvarn::app {

// The class as the panel's list shows it, one row per student in roster order. A change of
// one record (a keystroke, a level) updates that row alone; only a changed roster resets.
class StudentListModel final : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        GradedRole,   // "n/6"
        ScoreRole,    // "s.ss/5.00", empty while nothing is graded
        StatusRole,   // "complete", "started" or "none"
        SectionsRole, // one bool per rubric section: has a level
        FocusedRole,
    };

    // Not default-constructible: QML never makes one of its own.
    explicit StudentListModel(QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void update(const Session& session);
    // Names shown as "Student N" (anonymous grading) or as they are.
    void setAnonymous(bool anonymous);

private:
    StudentList m_students;
    std::optional<Uuid> m_focused;
    bool m_anonymous = false;
};

} // namespace kelvarn::app
