#include "FeedPrinter.h"

#include "support/ControlCharacters.h"

#include <algorithm>

namespace kelvarn::ctl {

FeedPrinter::FeedPrinter(GradingStore& store, std::ostream& out) : m_store(store), m_out(out) {
    printNewLines();
    m_subscription = store.addObserver([this](StoreField field) {
        if (field == StoreField::feed) {
            printNewLines();
        }
    });
}

void FeedPrinter::printNewLines() {
    const auto& feed = m_store.feed();
    auto next = feed.begin();
    if (m_lastPrinted) {
        // From the line after the last one printed; the feed may have dropped old lines.
        const auto last = std::find_if(feed.rbegin(), feed.rend(), [&](const FeedItem& item) {
            return item.id == *m_lastPrinted;
        });
        next = last == feed.rend() ? feed.begin() : last.base();
    }
    for (; next != feed.end(); ++next) {
        if (!next->fromEarlierLaunch) {
            print(*next);
        }
        m_lastPrinted = next->id;
    }
}

void FeedPrinter::print(const FeedItem& item) {
    m_out << kindName(item.kind) << '\t' << oneLine(item.text) << '\n';
}

} // namespace kelvarn::ctl
