#include "settings/Preferences.h"

namespace kelvarn {

Preferences::Preferences()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kelvarn"),
                 QStringLiteral("Kelvarn")) {}

Preferences::Preferences(const QString& filePath) : m_settings(filePath, QSettings::IniFormat) {}

std::optional<QString> Preferences::string(const QString& key) const {
    const QVariant value = m_settings.value(key);
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString();
}

void Preferences::setString(const QString& key, const QString& value) {
    m_settings.setValue(key, value);
}

std::optional<QRect> Preferences::rect(const QString& key) const {
    const QRect value = m_settings.value(key).toRect();
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value;
}

void Preferences::setRect(const QString& key, const QRect& value) {
    m_settings.setValue(key, value);
}

void Preferences::remove(const QString& key) {
    m_settings.remove(key);
}

void Preferences::sync() {
    m_settings.sync();
}

} // namespace kelvarn
