#include "TrayIcon.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace kelvarn::app {

namespace {

QIcon iconFor(StatusIcon icon) {
    switch (icon) {
    case StatusIcon::listening:
        return QIcon(QStringLiteral(":/kelvarn/icons/listening.svg"));
    case StatusIcon::paused:
        return QIcon(QStringLiteral(":/kelvarn/icons/paused.svg"));
    case StatusIcon::failed:
        return QIcon(QStringLiteral(":/kelvarn/icons/failed.svg"));
    case StatusIcon::idle:
        break;
    }
    return QIcon(QStringLiteral(":/kelvarn/icons/idle.svg"));
}

} // namespace

TrayIcon::TrayIcon(StateSource state, ActionHandler act, QObject* parent)
    : QObject(parent), m_state(std::move(state)), m_act(std::move(act)),
      m_menu(std::make_unique<QMenu>()) {
    m_menu->setAccessibleName(QStringLiteral("Kelvarn"));
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayIcon::rebuildMenu);
    rebuildMenu();

    m_tray = new QSystemTrayIcon(iconFor(m_icon), this);
    m_tray->setToolTip(QStringLiteral("Kelvarn"));
    m_tray->setContextMenu(m_menu.get());
    m_tray->show();

    // Qt looks for a StatusNotifier host once; a panel that starts later is watched for.
    m_watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                        QDBusConnection::sessionBus(),
                                        QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayIcon::showAgain);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setIcon(StatusIcon icon) {
    if (icon == m_icon) {
        return;
    }
    m_icon = icon;
    m_tray->setIcon(iconFor(icon));
}

void TrayIcon::rebuildMenu() {
    m_menu->clear();
    for (const StatusMenuItem& item : statusMenuItems(m_state())) {
        if (item.isSeparator()) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(item.title);
        action->setEnabled(item.enabled);
        if (!item.shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(item.shortcut));
        }
        if (item.action != StatusMenuItem::Action::none) {
            connect(action, &QAction::triggered, this, [this, what = item.action] { m_act(what); });
        }
    }
}

void TrayIcon::showAgain() {
    m_tray->hide();
    m_tray->show();
}

} // namespace kelvarn::app
