#include "FakeShortcutsPortal.h"

#include <QDBusMessage>
#include <QTimer>

namespace kelvarn::testing {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString connectionName = QStringLiteral("fake-shortcuts-portal");

} // namespace

FakeShortcutsPortal::FakeShortcutsPortal()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
    desktop::registerPortalShortcutType();
    m_connection.registerObject(portalPath, this,
                                QDBusConnection::ExportAllSlots |
                                    QDBusConnection::ExportAllSignals |
                                    QDBusConnection::ExportAllProperties);
    m_connection.registerService(portalService);
}

FakeShortcutsPortal::~FakeShortcutsPortal() {
    m_connection.unregisterService(portalService);
    m_connection.unregisterObject(portalPath);
    QDBusConnection::disconnectFromBus(connectionName);
}

void FakeShortcutsPortal::activate(const QString& id, const QString& inSession) {
    emit Activated(QDBusObjectPath(inSession), id, 1234, {});
}

QDBusObjectPath FakeShortcutsPortal::CreateSession(const QVariantMap& options) {
    sessionOptions = options;
    session = portalPath + "/session/" + message().service().mid(1).replace('.', '_') + '/' +
              options.value("session_handle_token").toString();
    return answer(options, {{"session_handle", session}});
}

QDBusObjectPath
FakeShortcutsPortal::BindShortcuts(const QDBusObjectPath& inSession,
                                   const QList<kelvarn::desktop::PortalShortcut>& shortcuts,
                                   const QString&, const QVariantMap& options) {
    boundSession = inSession.path();
    bound = shortcuts;
    bindOptions = options;
    return answer(options, {});
}

QDBusObjectPath FakeShortcutsPortal::answer(const QVariantMap& options,
                                            const QVariantMap& results) {
    const QString request = portalPath + "/request/" +
                            message().service().mid(1).replace('.', '_') + '/' +
                            options.value("handle_token").toString();
    QTimer::singleShot(0, this, [this, request, results] {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response.setArguments({0u, results});
        m_connection.send(response);
    });
    return QDBusObjectPath(request);
}

} // namespace kelvarn::testing
