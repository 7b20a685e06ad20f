#include "desktop/PortalHotkeys.h"

#include "desktop/PortalShortcut.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QRandomGenerator>

namespace kelvarn::desktop {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

QString newToken() {
    return QStringLiteral("kelvarn%1").arg(QRandomGenerator::global()->generate());
}

QDBusMessage portalCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    call.setArguments(arguments);
    return call;
}

// A session handle arrives as a string from current portals and as an object path from older
// ones.
QString pathIn(const QVariant& value) {
    return value.userType() == qMetaTypeId<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}

} // namespace

PortalHotkeys::PortalHotkeys(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    registerPortalShortcutType();
}

PortalHotkeys::~PortalHotkeys() {
    if (!m_session.isEmpty()) {
        m_bus.call(QDBusMessage::createMethodCall(portalService, m_session,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")),
                   QDBus::NoBlock);
    }
}

QString PortalHotkeys::shortcutId(Key key) {
    return key == Key::togglePanel ? QStringLiteral("toggle-panel")
                                   : QStringLiteral("toggle-listening");
}

void PortalHotkeys::start(std::function<void(Key)> pressed) {
    m_pressed = std::move(pressed);
    // Asked without waiting: a portal that is not running yet is started by the bus.
    QDBusMessage version = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    version.setArguments({shortcutsInterface, QStringLiteral("version")});
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(version), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!w->isError()) {
            createSession();
        }
    });
}

void PortalHotkeys::watchRequest(const QString& token, const char* slot) {
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    m_request = portalPath + QStringLiteral("/request/") + sender + u'/' + token;
    m_bus.connect(portalService, m_request, requestInterface, QStringLiteral("Response"), this,
                  slot);
}

void PortalHotkeys::forgetRequest(const char* slot) {
    m_bus.disconnect(portalService, m_request, requestInterface, QStringLiteral("Response"), this,
                     slot);
    m_request.clear();
}

void PortalHotkeys::createSession() {
    const QString token = newToken();
    watchRequest(token, SLOT(sessionCreated(uint, QVariantMap)));
    m_bus.call(portalCall(QStringLiteral("CreateSession"),
                          {QVariantMap{{QStringLiteral("handle_token"), token},
                                       {QStringLiteral("session_handle_token"), newToken()}}}),
               QDBus::NoBlock);
}

void PortalHotkeys::sessionCreated(uint response, const QVariantMap& results) {
    forgetRequest(SLOT(sessionCreated(uint, QVariantMap)));
    m_session = pathIn(results.value(QStringLiteral("session_handle")));
    if (response != 0 || m_session.isEmpty()) {
        m_session.clear();
        return; // refused or cancelled: no keys, as when another program holds them
    }
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

    const auto shortcut = [](Key key, const QString& description, const QString& trigger) {
        return PortalShortcut{shortcutId(key),
                              {{QStringLiteral("description"), description},
                               {QStringLiteral("preferred_trigger"), trigger}}};
    };
    const QList<PortalShortcut> shortcuts{
        shortcut(Key::togglePanel, QStringLiteral("Show or hide the Kelvarn panel"),
                 QStringLiteral("CTRL+ALT+G")),
        shortcut(Key::toggleListening, QStringLiteral("Start or stop listening"),
                 QStringLiteral("CTRL+ALT+L")),
    };
    const QString token = newToken();
    watchRequest(token, SLOT(shortcutsBound(uint, QVariantMap)));
    m_bus.call(
        portalCall(QStringLiteral("BindShortcuts"),
                   {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
                    QString(), QVariantMap{{QStringLiteral("handle_token"), token}}}),
        QDBus::NoBlock);
}

void PortalHotkeys::shortcutsBound(uint, const QVariantMap&) {
    // Whatever the user chose (or declined) in the desktop's dialog, presses arrive as Activated.
    forgetRequest(SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalHotkeys::activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong,
                              const QVariantMap&) {
    if (session.path() != m_session) {
        return;
    }
    for (const Key key : {Key::togglePanel, Key::toggleListening}) {
        if (shortcut == shortcutId(key)) {
            m_pressed(key);
        }
    }
}

} // namespace kelvarn::desktop
