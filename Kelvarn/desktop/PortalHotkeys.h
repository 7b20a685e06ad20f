#pragma once

#include "app/GlobalHotkeys.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

namespace kelvarn::desktop {

// The keys on Wayland, where no program may grab keys: the desktop portal's GlobalShortcuts
// interface binds them (the desktop may ask the user to confirm or choose other keys) and
// reports each press. Where the portal lacks the interface, nothing happens, as with a grab
// another program holds.
class PortalHotkeys final : public QObject, public app::GlobalHotkeys {
    Q_OBJECT

public:
    explicit PortalHotkeys(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalHotkeys() override;

    void start(std::function<void(Key)> pressed) override;

    // The portal's identifiers of the two keys.
    static QString shortcutId(Key key);

private slots:
    // Slots because QtDBus connects signals of remote objects by signature only.
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                   const QVariantMap& options);

private:
    void createSession();
    // Watches the Response of the request the next call makes with this token; the portal
    // names the request after the caller and the token, so the answer cannot come unheard.
    void watchRequest(const QString& token, const char* slot);
    void forgetRequest(const char* slot);

    QDBusConnection m_bus;
    std::function<void(Key)> m_pressed;
    QString m_request;
    QString m_session;
};

} // namespace kelvarn::desktop
