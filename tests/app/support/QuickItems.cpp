#include "support/QuickItems.h"

#include "support/EventLoop.h"

#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace kelvarn::testing {

QQuickItem* findItem(QQuickItem* root, const std::function<bool(QQuickItem*)>& test) {
    if (root == nullptr || !root->isVisible()) {
        return nullptr;
    }
    if (test(root)) {
        return root;
    }
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findItem(child, test)) {
            return found;
        }
    }
    return nullptr;
}

QQuickItem* withText(QQuickItem* root, const QString& text) {
    return findItem(root, [&](QQuickItem* item) { return item->property("text") == text; });
}

QQuickItem* named(QQuickItem* root, const QString& objectName) {
    return findItem(root, [&](QQuickItem* item) { return item->objectName() == objectName; });
}

QQuickItem* card(QQuickItem* root, const QString& key) {
    return findItem(root, [&](QQuickItem* item) { return item->property("key") == key; });
}

void settle(QQuickWindow& window) {
    bool swapped = false;
    const auto connection =
        QObject::connect(&window, &QQuickWindow::frameSwapped, [&] { swapped = true; });
    window.update();
    runUntil([&] { return swapped; });
    QObject::disconnect(connection);
}

void click(QQuickWindow& window, QQuickItem* item) {
    ASSERT_NE(item, nullptr);
    settle(window);
    QTest::mouseClick(&window, Qt::LeftButton, {},
                      item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
}

void saveScreenshot(QQuickWindow& window, const char* name) {
    if (const char* folder = std::getenv("KELVARN_SCREENSHOTS")) {
        settle(window);
        window.grabWindow().save(QString::fromLocal8Bit(folder) + "/" + name);
    }
}

} // namespace kelvarn::testing
