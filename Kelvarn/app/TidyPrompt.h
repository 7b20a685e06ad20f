#pragma once

#include <QObject>
#include <QString>
#include <QtQmlIntegration>

namespace kelvarn {
class Preferences;
}

namespace kelvarn::app {

// What the tidy prompt window edits: the instructions, saved at every edit. Starts from the
// instructions in force when it is made.
class TidyPrompt final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(QString text READ text NOTIFY textChanged)
    Q_PROPERTY(bool isDefault READ isDefault NOTIFY textChanged)
    Q_PROPERTY(QString placeholder READ placeholder CONSTANT)

public:
    explicit TidyPrompt(Preferences& preferences, QObject* parent = nullptr);

    QString text() const { return m_text; }
    bool isDefault() const;
    QString placeholder() const;

    Q_INVOKABLE void edit(const QString& text);
    Q_INVOKABLE void resetToDefault();

signals:
    void textChanged();

private:
    Preferences& m_preferences;
    QString m_text;
};

} // namespace kelvarn::app
