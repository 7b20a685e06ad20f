#include "desktop/FloatingPanel.h"
#include "settings/Preferences.h"
#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>

#include <gtest/gtest.h>

#include <fstream>

namespace kelvarn {
namespace {

using namespace std::chrono_literals;

class FloatingPanelTest : public ::testing::Test {
protected:
    FloatingPanelTest() {
        std::ofstream(temp.path() / "Root.qml") << R"(import QtQuick
Rectangle {
    color: "white"
    TextInput { objectName: "input"; anchors.fill: parent; font.pixelSize: 24 }
})";
    }
    std::unique_ptr<desktop::FloatingPanel> makePanel() {
        auto panel = std::make_unique<desktop::FloatingPanel>(engine, preferences);
        panel->setContent(
            QUrl::fromLocalFile(QString::fromStdString((temp.path() / "Root.qml").string())), {});
        return panel;
    }
    static QString property(QWindow& window, const char* name) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(window.winId()), name});
        xprop.waitForFinished(5000);
        return QString::fromUtf8(xprop.readAllStandardOutput());
    }

    testing::TempFolder temp;
    Preferences preferences{QString::fromStdString((temp.path() / "Kelvarn.conf").string())};
    QQmlEngine engine;
};

TEST_F(FloatingPanelTest, AppearsAboveWithoutTakingFocusAndTakesTypingOnceClicked) {
    QQuickView other;
    other.resize(300, 300);
    other.show();
    other.requestActivate();
    ASSERT_TRUE(testing::runUntil([&] { return QGuiApplication::focusWindow() == &other; }));

    auto panel = makePanel();
    panel->show();
    ASSERT_TRUE(testing::runUntil([&] { return panel->window().isExposed(); }));
    EXPECT_FALSE(testing::runUntil([&] { return QGuiApplication::focusWindow() != &other; }, 300ms))
        << "showing the panel leaves the keyboard where it was";
    EXPECT_TRUE(property(panel->window(), "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(property(panel->window(), "_NET_WM_DESKTOP").contains("4294967295"));

    const QPoint centre = panel->window().geometry().center();
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(centre.x()),
                       QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(testing::runUntil([&] {
        return QGuiApplication::focusWindow() == &panel->window();
    })) << "a click gives it the keyboard";
    const auto* input = panel->window().rootObject()->findChild<QQuickItem*>("input");
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(testing::runUntil([&] { return input->hasActiveFocus(); }));
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("Nadia")});
    EXPECT_TRUE(testing::runUntil([&] { return input->property("text").toString() == "Nadia"; }))
        << input->property("text").toString().toStdString();
}

TEST_F(FloatingPanelTest, CompactKeepsTheTopEdgeAndTheFrameOutlivesTheProcess) {
    {
        auto panel = makePanel();
        panel->show();
        ASSERT_TRUE(testing::runUntil([&] { return panel->window().isExposed(); }));
        panel->window().setPosition(120, 140);
        ASSERT_TRUE(
            testing::runUntil([&] { return panel->window().position() == QPoint(120, 140); }));
        panel->setCompact(true);
        ASSERT_TRUE(testing::runUntil(
            [&] { return panel->window().size() == desktop::FloatingPanel::compactSize; }));
        EXPECT_EQ(panel->window().position(), QPoint(120, 140));
        panel->setCompact(false);
        ASSERT_TRUE(testing::runUntil(
            [&] { return panel->window().size() == desktop::FloatingPanel::fullSize; }));
        EXPECT_EQ(panel->window().position(), QPoint(120, 140));
    }
    auto relaunched = makePanel();
    EXPECT_EQ(relaunched->window().geometry(),
              QRect(QPoint(120, 140), desktop::FloatingPanel::fullSize))
        << "restored, not centred";
}

} // namespace
} // namespace kelvarn
