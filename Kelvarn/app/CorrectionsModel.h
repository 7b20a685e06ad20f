#pragma once

#include <QAbstractListModel>
#include <QtQmlIntegration>

#include <vector>

namespace kelvarn {
// Not included: moc cannot read the standard library's <compare> that the rule's header needs.
struct Correction;
} // namespace kelvarn

namespace kelvarn::app {

// The user's correction rules in the store's order, as the corrections window lists them. Rules
// only ever leave the list or join it, so a change removes and inserts rows instead of resetting.
class CorrectionsModel final : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")

public:
    enum Role { IdRole = Qt::UserRole + 1, HeardRole, ReplacementRole };

    // Not default-constructible: QML never makes one of its own.
    explicit CorrectionsModel(QObject* parent);
    ~CorrectionsModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void update(const std::vector<Correction>& rules);

private:
    void removeMissing(const std::vector<Correction>& rules);
    void insertNew(const std::vector<Correction>& rules);

    std::vector<Correction> m_rules;
};

} // namespace kelvarn::app
