#pragma once

#include "desktop/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

namespace kelvarn::testing {

// The desktop portal's GlobalShortcuts interface, on a connection of its own, answering every
// request at once (as a desktop does once the user has confirmed) and recording what it got.
class FakeShortcutsPortal final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    FakeShortcutsPortal();
    ~FakeShortcutsPortal() override;

    uint version() const { return 1; }
    // Presses a bound shortcut of the session, or of another one.
    void activate(const QString& id, const QString& session);

    QVariantMap sessionOptions;
    QString session; // the handle given out
    QString boundSession;
    QList<desktop::PortalShortcut> bound;
    QVariantMap bindOptions;

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    // Fully qualified: QtDBus finds the slot by the type names moc records.
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session,
                                  const QList<kelvarn::desktop::PortalShortcut>& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options);

signals:
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);

private:
    // The request a call made, named as the portal names it, answered after the call returns.
    QDBusObjectPath answer(const QVariantMap& options, const QVariantMap& results);

    QDBusConnection m_connection;
};

} // namespace kelvarn::testing
