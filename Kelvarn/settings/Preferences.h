#pragma once

#include <QRect>
#include <QSettings>
#include <QString>

#include <optional>

namespace kelvarn {

// The user's preferences, ~/.config/Kelvarn/Kelvarn.conf. Belongs to the thread that made it, like
// the QSettings it owns; every change is visible at once to readers of the same object.
class Preferences final {
public:
    // The user's own file (organisation and application "Kelvarn").
    Preferences();
    // Another file, for tests and tools.
    explicit Preferences(const QString& filePath);

    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    std::optional<QString> string(const QString& key) const;
    void setString(const QString& key, const QString& value);
    // A window's frame; nothing when none was kept or the kept one is empty.
    std::optional<QRect> rect(const QString& key) const;
    void setRect(const QString& key, const QRect& value);
    void remove(const QString& key);
    // Writes pending changes to the file now (they are written soon anyway).
    void sync();
    QString fileName() const { return m_settings.fileName(); }

private:
    QSettings m_settings;
};

} // namespace kelvarn
