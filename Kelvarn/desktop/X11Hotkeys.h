#pragma once

#include "app/GlobalHotkeys.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace kelvarn::desktop {

// Grabs the keys on the X server's root window, once for each state of Caps Lock and Num Lock,
// since a grab matches the modifiers exactly.
class X11Hotkeys final : public app::GlobalHotkeys, private QAbstractNativeEventFilter {
public:
    explicit X11Hotkeys(xcb_connection_t* connection);
    ~X11Hotkeys() override;

    void start(std::function<void(Key)> pressed) override;

private:
    struct Grab {
        std::uint8_t keycode;
        Key key;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    xcb_connection_t* m_connection;
    std::uint32_t m_root = 0;
    std::vector<Grab> m_grabs;
    std::function<void(Key)> m_pressed;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace kelvarn::desktop
