#include "FakeTrayHost.h"

namespace kelvarn::testing {

namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString connectionName = QStringLiteral("fake-tray-host");

} // namespace

QStringList FakeStatusNotifierWatcher::items() const {
    const QMutexLocker lock(&m_mutex);
    return m_items;
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service) {
    const QMutexLocker lock(&m_mutex);
    m_items.push_back(service);
}

FakeTrayHost::FakeTrayHost()
    : m_watcher(std::make_unique<FakeStatusNotifierWatcher>()),
      m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
    m_connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_watcher.get(),
                                QDBusConnection::ExportAllContents);
    m_watcher->moveToThread(&m_thread);
    m_thread.start();
    m_connection.registerService(watcherName);
}

FakeTrayHost::~FakeTrayHost() {
    m_connection.unregisterService(watcherName);
    m_connection.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QDBusConnection::disconnectFromBus(connectionName);
    m_thread.quit();
    m_thread.wait();
}

} // namespace kelvarn::testing
