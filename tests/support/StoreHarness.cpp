#include "support/StoreHarness.h"

namespace kelvarn::testing {

StoreHarness::StoreHarness(const std::vector<std::string>& names)
    : store(SavedState{sessionWithStudents(names), {}}, clock.clock()) {}

std::vector<std::string> StoreHarness::newFeed() {
    std::vector<std::string> lines;
    const auto& feed = store.feed();
    for (std::size_t i = m_seen; i < feed.size(); ++i) {
        lines.push_back(std::string(kindName(feed[i].kind)) + ": " + feed[i].text);
    }
    m_seen = feed.size();
    return lines;
}

} // namespace kelvarn::testing
