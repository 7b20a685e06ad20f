#include "desktop/PlatformHotkeys.h"

#include "desktop/PortalHotkeys.h"
#include "desktop/X11Hotkeys.h"

#include <QGuiApplication>

namespace kelvarn::desktop {

std::unique_ptr<app::GlobalHotkeys> makeGlobalHotkeys() {
    if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        return std::make_unique<X11Hotkeys>(x11->connection());
    }
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
        return std::make_unique<PortalHotkeys>(QDBusConnection::sessionBus());
    }
    return nullptr;
}

} // namespace kelvarn::desktop
