#pragma once

#include <QString>

#include <functional>

class QQuickItem;
class QQuickWindow;

namespace kelvarn::testing {

// The first visible item below root, root included, for which the test holds.
QQuickItem* findItem(QQuickItem* root, const std::function<bool(QQuickItem*)>& test);
// The first visible item showing this text.
QQuickItem* withText(QQuickItem* root, const QString& text);
QQuickItem* named(QQuickItem* root, const QString& objectName);
// A student's card: a section's key ("intro") or "overall".
QQuickItem* card(QQuickItem* root, const QString& key);

// Lets the window lay out and draw what the last change showed.
void settle(QQuickWindow& window);
// A left click in the middle of the item, once the window has settled.
void click(QQuickWindow& window, QQuickItem* item);
// Saves the window as name into the folder KELVARN_SCREENSHOTS names, when it is set.
void saveScreenshot(QQuickWindow& window, const char* name);

} // namespace kelvarn::testing
