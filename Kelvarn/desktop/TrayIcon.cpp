#include "desktop/TrayIcon.h"

#include "desktop/X11EmbeddedTray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace kelvarn::desktop {

namespace {

QIcon iconFor(app::StatusIcon icon) {
    switch (icon) {
    case app::StatusIcon::listening:
        return QIcon(QStringLiteral(":/kelvarn/icons/listening.svg"));
    case app::StatusIcon::paused:
        return QIcon(QStringLiteral(":/kelvarn/icons/paused.svg"));
    case app::StatusIcon::failed:
        return QIcon(QStringLiteral(":/kelvarn/icons/failed.svg"));
    case app::StatusIcon::idle:
        break;
    }
    return QIcon(QStringLiteral(":/kelvarn/icons/idle.svg"));
}

// Hovering the icon tells whether the microphone is being acted on, panel shown or not.
QString toolTipFor(app::StatusIcon icon) {
    switch (icon) {
    case app::StatusIcon::listening:
        return QStringLiteral("Kelvarn — listening");
    case app::StatusIcon::paused:
        return QStringLiteral("Kelvarn — paused, say “resume listening”");
    case app::StatusIcon::failed:
        return QStringLiteral("Kelvarn — not listening: something went wrong (see the panel)");
    case app::StatusIcon::idle:
        break;
    }
    return QStringLiteral("Kelvarn — not listening");
}

} // namespace

TrayIcon::TrayIcon(StateSource state, ActionHandler act, QObject* parent)
    : QObject(parent), m_state(std::move(state)), m_act(std::move(act)),
      m_menu(std::make_unique<QMenu>()) {
    m_menu->setAccessibleName(QStringLiteral("Kelvarn"));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayIcon::rebuildMenu);
    rebuildMenu();

    // Qt chooses between a StatusNotifierItem and the older embedded tray once per process, when
    // the first icon is made, so an icon made before the desktop's panel has started would stay
    // out of that panel for good. Without a watcher the icon waits for one, unless an embedded
    // tray is there to take it now; the panel is on screen meanwhile.
    const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
    const QDBusConnection bus = QDBusConnection::sessionBus();
    m_watcher =
        new QDBusServiceWatcher(watcherName, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayIcon::hostAppeared);
    if (!bus.isConnected() || bus.interface()->isServiceRegistered(watcherName) ||
        x11EmbeddedTrayRunning()) {
        makeIcon();
    }
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setIcon(app::StatusIcon icon) {
    if (icon == m_icon) {
        return;
    }
    m_icon = icon;
    if (m_tray != nullptr) {
        m_tray->setIcon(iconFor(icon));
        m_tray->setToolTip(toolTipFor(icon));
    }
}

void TrayIcon::makeIcon() {
    m_tray = new QSystemTrayIcon(iconFor(m_icon), this);
    m_tray->setToolTip(toolTipFor(m_icon));
    m_tray->setContextMenu(m_menu.get());
    m_tray->show();
}

void TrayIcon::rebuildMenu() {
    m_menu->clear();
    for (const app::StatusMenuItem& item : app::statusMenuItems(m_state())) {
        if (item.isSeparator()) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(item.title);
        action->setData(QVariant::fromValue(item.action));
        action->setEnabled(item.enabled);
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(*item.checked);
        }
        if (!item.shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(item.shortcut));
        }
        if (item.action != app::StatusMenuItem::Action::none) {
            connect(action, &QAction::triggered, this, [this, what = item.action] { m_act(what); });
        }
    }
}

void TrayIcon::hostAppeared() {
    if (m_tray == nullptr) {
        makeIcon();
        return;
    }
    // A panel that restarted: showing the icon again registers it with the new watcher.
    m_tray->hide();
    m_tray->show();
}

} // namespace kelvarn::desktop
