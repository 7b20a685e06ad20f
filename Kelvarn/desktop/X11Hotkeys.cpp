#include "desktop/X11Hotkeys.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdlib>

namespace kelvarn::desktop {

namespace {

constexpr std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
// Caps Lock and Num Lock (Mod2 on every usual layout) must not stop the keys from working.
constexpr std::uint16_t lockModifiers = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
constexpr std::array<std::uint16_t, 4> lockStates{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                  lockModifiers};
constexpr std::uint32_t keysymG = 0x67; // XK_g
constexpr std::uint32_t keysymL = 0x6c; // XK_l

} // namespace

X11Hotkeys::X11Hotkeys(xcb_connection_t* connection) : m_connection(connection) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

X11Hotkeys::~X11Hotkeys() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab& grab : m_grabs) {
        for (const std::uint16_t locks : lockStates) {
            xcb_ungrab_key(m_connection, grab.keycode, m_root, controlAlt | locks);
        }
    }
    xcb_flush(m_connection);
}

void X11Hotkeys::start(std::function<void(Key)> pressed) {
    m_pressed = std::move(pressed);
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    for (const auto& [keysym, key] :
         {std::pair{keysymG, Key::togglePanel}, std::pair{keysymL, Key::toggleListening}}) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        if (codes == nullptr) {
            continue; // the layout has no such key
        }
        m_grabs.push_back({codes[0], key});
        for (const std::uint16_t locks : lockStates) {
            // Unchecked: a combination another program holds fails quietly, as it should.
            xcb_grab_key(m_connection, 1, m_root, controlAlt | locks, codes[0], XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC);
        }
        free(codes);
    }
    xcb_key_symbols_free(symbols);
    xcb_flush(m_connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool X11Hotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) {
        return false;
    }
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if ((press->state & ~lockModifiers) != controlAlt) {
        return false;
    }
    for (const Grab& grab : m_grabs) {
        if (grab.keycode == press->detail) {
            // Handled after the event filter returns, never inside X event dispatch, and not at
            // all once this object is gone.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [alive = std::weak_ptr<int>(m_alive), pressed = m_pressed, key = grab.key] {
                    if (alive.lock()) {
                        pressed(key);
                    }
                },
                Qt::QueuedConnection);
            return true;
        }
    }
    return false;
}

} // namespace kelvarn::desktop
