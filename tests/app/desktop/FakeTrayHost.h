#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <memory>

namespace kelvarn::testing {

// The StatusNotifierWatcher of a desktop panel with a host, as far as Qt's tray asks it.
class FakeStatusNotifierWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    bool isHostRegistered() const { return true; }
    QStringList items() const;
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};

// A panel that hosts tray items, on the session bus while it exists. It answers on a thread and
// a connection of its own, since Qt waits for its answers on the main thread.
class FakeTrayHost final {
public:
    FakeTrayHost();
    ~FakeTrayHost();
    FakeTrayHost(const FakeTrayHost&) = delete;
    FakeTrayHost& operator=(const FakeTrayHost&) = delete;

    // The bus names of the items registered so far.
    QStringList items() const { return m_watcher->items(); }

private:
    QThread m_thread;
    std::unique_ptr<FakeStatusNotifierWatcher> m_watcher;
    QDBusConnection m_connection;
};

} // namespace kelvarn::testing
