#pragma once

#include "app/StatusIcon.h"
#include "app/StatusMenu.h"

#include <QObject>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QDBusServiceWatcher;

namespace kelvarn::desktop {

// The icon in the desktop's tray (a StatusNotifierItem where the desktop hosts them, else the
// older embedded tray) with its menu, rebuilt from the current state each time it opens. When
// the desktop's panel starts after Kelvarn, the icon appears then.
class TrayIcon final : public QObject {
    Q_OBJECT

public:
    using StateSource = std::function<app::StatusMenuState()>;
    using ActionHandler = std::function<void(app::StatusMenuItem::Action)>;

    TrayIcon(StateSource state, ActionHandler act, QObject* parent = nullptr);
    ~TrayIcon() override;

    void setIcon(app::StatusIcon icon);
    app::StatusIcon icon() const { return m_icon; }
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
    app::StatusIcon m_icon = app::StatusIcon::idle;
};

} // namespace kelvarn::desktop
