#pragma once

#include <QMetaType>
#include <QString>
#include <QVariantMap>

class QDBusArgument;

namespace kelvarn::desktop {

// One shortcut as the GlobalShortcuts portal takes it (sa{sv}): an identifier and its
// properties ("description", "preferred_trigger").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut);

// Makes PortalShortcut and lists of it known to QtDBus; once is enough, more is harmless.
void registerPortalShortcutType();

} // namespace kelvarn::desktop

Q_DECLARE_METATYPE(kelvarn::desktop::PortalShortcut)
