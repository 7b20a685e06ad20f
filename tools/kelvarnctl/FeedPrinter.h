#pragma once

#include "engine/GradingStore.h"

#include <optional>
#include <ostream>

namespace kelvarn::ctl {

// Writes every feed line the store appends, from the lines of its start-up on (not those read
// back from earlier runs' log), as KIND<TAB>TEXT: the activity log's format without the time
// stamp, each on one line with no control characters, so that a note of several paragraphs or a
// name holding an escape sequence neither breaks the columns nor drives the terminal. The store
// announces new lines when an operation has finished, after its save, so a printed change is on
// disk.
class FeedPrinter final {
public:
    FeedPrinter(GradingStore& store, std::ostream& out);
    FeedPrinter(const FeedPrinter&) = delete;
    FeedPrinter& operator=(const FeedPrinter&) = delete;

private:
    void printNewLines();
    void print(const FeedItem& item);

    GradingStore& m_store;
    std::ostream& m_out;
    std::optional<Uuid> m_lastPrinted;
    GradingStore::Subscription m_subscription;
};

} // namespace kelvarn::ctl
