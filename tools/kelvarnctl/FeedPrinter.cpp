#include "FeedPrinter.h"

#include "support/ControlCharacters.h"

namespace kelvarn::ctl {

FeedPrinter::FeedPrinter(GradingStore& store, std::ostream& out) : m_store(store), m_out(out) {
    for (const FeedItem& item : store.feed()) {
        print(item);
    }
    // Each feed notification announces exactly one appended line, the newest.
    m_observer = store.addObserver([this](StoreField field) {
        if (field == StoreField::feed) {
            print(m_store.feed().back());
        }
    });
}

FeedPrinter::~FeedPrinter() {
    m_store.removeObserver(m_observer);
}

void FeedPrinter::print(const FeedItem& item) {
    m_out << kindName(item.kind) << '\t' << oneLine(item.text) << '\n';
}

} // namespace kelvarn::ctl
