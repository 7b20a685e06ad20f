#pragma once

#include <QUrl>
#include <QVariantMap>

namespace kelvarn::app {
class AppController;
class PanelActions;
} // namespace kelvarn::app

namespace kelvarn::views {

// The panel's root view, and the required properties it is made with: the controller it shows
// and the actions of the window it is shown in.
QUrl contentViewSource();
QVariantMap contentViewProperties(app::AppController& controller, app::PanelActions& panel);

} // namespace kelvarn::views
