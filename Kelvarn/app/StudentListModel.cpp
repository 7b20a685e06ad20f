#include "app/StudentListModel.h"

#include "language/NameMask.h"
#include "model/PointFormat.h"
#include "model/Rubric.h"

#include <QVariantList>

namespace kelvarn::app {

namespace {

bool sameIds(const StudentList& a, const StudentList& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id) {
            return false;
        }
    }
    return true;
}

QString status(const StudentRecord& student) {
    if (student.isComplete()) {
        return QStringLiteral("complete");
    }
    return student.isStarted() ? QStringLiteral("started") : QStringLiteral("none");
}

} // namespace

StudentListModel::StudentListModel(QObject* parent) : QAbstractListModel(parent) {}

int StudentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_students.size());
}

QVariant StudentListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const StudentRecord& student = m_students[static_cast<std::size_t>(index.row())];
    switch (role) {
    case IdRole:
        return QString::fromStdString(student.id.toString());
    case Qt::DisplayRole:
    case NameRole:
        return QString::fromStdString(
            m_anonymous ? NameMask::label(static_cast<std::size_t>(index.row())) : student.name);
    case GradedRole:
        return QStringLiteral("%1/%2").arg(student.gradedCount()).arg(sections::allCases.size());
    case ScoreRole:
        return student.gradedCount() == 0
                   ? QString()
                   : QString::fromStdString(outOf(student.score(), rubric::maxScore));
    case StatusRole:
        return status(student);
    case SectionsRole: {
        QVariantList graded;
        for (SectionID section : sections::allCases) {
            graded.push_back(student.grade(section).level.has_value());
        }
        return graded;
    }
    case FocusedRole:
        return m_focused == student.id;
    default:
        return {};
    }
}

QHash<int, QByteArray> StudentListModel::roleNames() const {
    return {{IdRole, "studentId"},   {NameRole, "name"},     {GradedRole, "graded"},
            {ScoreRole, "score"},    {StatusRole, "status"}, {SectionsRole, "gradedSections"},
            {FocusedRole, "focused"}};
}

void StudentListModel::setAnonymous(bool anonymous) {
    if (std::exchange(m_anonymous, anonymous) != anonymous && !m_students.empty()) {
        emit dataChanged(index(0), index(static_cast<int>(m_students.size()) - 1), {NameRole});
    }
}

void StudentListModel::update(const Session& session) {
    if (!sameIds(m_students, session.students)) {
        beginResetModel();
        m_students = session.students;
        m_focused = session.focus.studentID;
        endResetModel();
        return;
    }
    const StudentList old = std::exchange(m_students, session.students);
    const std::optional<Uuid> oldFocus = std::exchange(m_focused, session.focus.studentID);
    for (std::size_t i = 0; i < m_students.size(); ++i) {
        const Uuid& id = m_students[i].id;
        const bool focusMoved = (oldFocus == id) != (m_focused == id);
        if (focusMoved || !m_students.sharesRecord(old, i)) {
            const QModelIndex changed = index(static_cast<int>(i));
            emit dataChanged(changed, changed);
        }
    }
}

} // namespace kelvarn::app
