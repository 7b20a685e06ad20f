#include "views/HelpWindow.h"

#include "views/HelpTexts.h"

namespace kelvarn::views {

HelpWindow::HelpWindow(QQmlEngine& engine)
    : m_window(engine, QUrl(QStringLiteral("qrc:/qt/qml/Kelvarn/HelpWindow.qml")),
               QStringLiteral("help")) {}

bool HelpWindow::show() {
    const HelpTexts texts = helpTexts();
    return m_window.show(
        {{QStringLiteral("texts"), QVariantMap{{QStringLiteral("exampleName"), texts.exampleName},
                                               {QStringLiteral("example"), texts.example},
                                               {QStringLiteral("sections"), texts.sections}}}});
}

} // namespace kelvarn::views
