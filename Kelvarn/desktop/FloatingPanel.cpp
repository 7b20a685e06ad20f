#include "desktop/FloatingPanel.h"

#include "desktop/ScreenPlacement.h"
#include "settings/Preferences.h"

#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kelvarn::desktop {

namespace {

const QString frameKey = QStringLiteral("KelvarnPanel");

} // namespace

FloatingPanel::FloatingPanel(QQmlEngine& engine, Preferences& preferences, QObject* parent)
    : QObject(parent), m_preferences(preferences),
      m_window(std::make_unique<QQuickView>(&engine, nullptr)) {
    m_window->setTitle(QStringLiteral("Kelvarn"));
    m_window->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Appearing must not take the keyboard from the window the user types in; clicking the
    // panel still gives it focus (Qt::WindowDoesNotAcceptFocus would forbid typing altogether).
    m_window->setProperty("_q_showWithoutActivating", true);
    m_window->setResizeMode(QQuickView::SizeRootObjectToView);
    m_window->setMinimumSize(minimumSize);
    m_window->resize(fullSize);
    restoreFrame();
    connect(m_window.get(), &QWindow::xChanged, this, &FloatingPanel::saveFrame);
    connect(m_window.get(), &QWindow::yChanged, this, &FloatingPanel::saveFrame);
    connect(m_window.get(), &QWindow::widthChanged, this, &FloatingPanel::saveFrame);
    connect(m_window.get(), &QWindow::heightChanged, this, &FloatingPanel::saveFrame);
    connect(&m_actions, &app::PanelActions::moveRequested, m_window.get(),
            &QWindow::startSystemMove);
    connect(&m_actions, &app::PanelActions::hideRequested, this, &FloatingPanel::hide);
    connect(&m_actions, &app::PanelActions::windowRequested, this, &FloatingPanel::windowRequested);
}

FloatingPanel::~FloatingPanel() {
    // The window system does not always announce a move it was asked for: save on the way out.
    saveFrame();
}

void FloatingPanel::setContent(const QUrl& url, const QVariantMap& properties) {
    m_window->setInitialProperties(properties);
    m_window->setSource(url);
}

bool FloatingPanel::isVisible() const {
    return m_window->isVisible();
}

void FloatingPanel::show() {
    m_window->create();
    showOnAllDesktops();
    m_window->show();
    m_window->raise();
    showOnAllDesktops(); // again, now that the window manager has the window
}

void FloatingPanel::hide() {
    if (!isVisible()) {
        return;
    }
    saveFrame();
    m_window->hide();
    emit hidden();
}

void FloatingPanel::toggle() {
    if (isVisible()) {
        hide();
    } else {
        show();
    }
}

void FloatingPanel::setCompact(bool compact) {
    const QPoint topLeft = m_window->position();
    m_window->resize(compact ? compactSize : fullSize);
    m_window->setPosition(topLeft);
    saveFrame();
}

void FloatingPanel::restoreFrame() {
    if (const auto saved = m_preferences.rect(frameKey)) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens()) {
            screens.push_back(screen->availableGeometry());
        }
        m_window->setGeometry(placedOnScreens(*saved, screens));
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), fullSize);
        frame.moveCenter(screen->availableGeometry().center());
        m_window->setGeometry(frame);
    }
}

void FloatingPanel::saveFrame() const {
    m_preferences.setRect(frameKey, m_window->geometry());
}

void FloatingPanel::showOnAllDesktops() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) {
        return; // elsewhere a tool window follows the desktop the user is on
    }
    xcb_connection_t* connection = x11->connection();
    const auto atom = [&](const char* name) {
        const auto cookie =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        free(reply);
        return value;
    };
    // Read by the window manager when the window is first mapped; once it manages the window,
    // only a request to the root window changes the desktop.
    constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
    const auto window = static_cast<xcb_window_t>(m_window->winId());
    const xcb_atom_t desktop = atom("_NET_WM_DESKTOP");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32,
                        1, &allDesktops);
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = desktop;
    request.data.data32[0] = allDesktops;
    request.data.data32[1] = 2; // sent by a pager-like tool on the user's behalf
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);
}

} // namespace kelvarn::desktop
