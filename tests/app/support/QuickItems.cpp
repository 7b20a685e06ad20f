#include "support/QuickItems.h"

#include <QQuickItem>

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

} // namespace kelvarn::testing
