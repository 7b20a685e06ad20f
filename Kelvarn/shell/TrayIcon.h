#pragma once

#include "StatusMenu.h"

#include <QObject>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QDBusServiceWatcher;

namespace kelvarn::app {

// The icon in the desktop's tray (a StatusNotifierItem where the desktop hosts them, else the
// older embedded tray) with its menu, rebuilt from the current state each time it opens. When
// the desktop's panel starts after Kelvarn, the icon appears then.
class TrayIcon final : public QObject {
    Q_OBJECT

public:
    using StateSource = std::function<StatusMenuState()>;
    using ActionHandler = std::function<void(StatusMenuItem::Action)>;

    TrayIcon(StateSource state, ActionHandler act, QObject* parent = nullptr);
    ~TrayIcon() override;

    void setIcon(StatusIcon icon);
    StatusIcon icon() const { return m_icon; }
    QMenu& menu() { return *m_menu; }
    // Whether the icon has been made (it waits for the desktop's panel where there is none yet).
    bool shown() const { return m_tray != nullptr; }

private:
    void rebuildMenu();
    void makeIcon();
    void hostAppeared();

    StateSource m_state;
    ActionHandler m_act;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_tray = nullptr;
    QDBusServiceWatcher* m_watcher = nullptr;
    StatusIcon m_icon = StatusIcon::idle;
};

} // namespace kelvarn::app
