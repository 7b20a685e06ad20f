#include "views/ContentViewSource.h"

#include "app/AppController.h"
#include "app/PanelActions.h"

namespace kelvarn::views {

QUrl contentViewSource() {
    return QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/ContentView.qml"));
}

QVariantMap contentViewProperties(app::AppController& controller, app::PanelActions& panel) {
    return {{QStringLiteral("controller"), QVariant::fromValue(&controller)},
            {QStringLiteral("panel"), QVariant::fromValue(&panel)}};
}

} // namespace kelvarn::views
