#pragma once

#include <QString>

#include <functional>

class QQuickItem;

namespace kelvarn::testing {

// The first visible item below root, root included, for which the test holds.
QQuickItem* findItem(QQuickItem* root, const std::function<bool(QQuickItem*)>& test);
// The first visible item showing this text.
QQuickItem* withText(QQuickItem* root, const QString& text);
QQuickItem* named(QQuickItem* root, const QString& objectName);
// A student's card: a section's key ("intro") or "overall".
QQuickItem* card(QQuickItem* root, const QString& key);

} // namespace kelvarn::testing
