#pragma once

#include "engine/GradingStore.h"
#include "support/Fixtures.h"

#include <string>
#include <vector>

namespace kelvarn::testing {

// A store over a small class with a fake clock, and readers for what a TA would see.
class StoreHarness {
public:
    explicit StoreHarness(const std::vector<std::string>& names);

    Uuid id(std::size_t index) const { return store.session().students[index].id; }
    const StudentRecord& record(std::size_t index) const { return store.session().students[index]; }
    // Feed lines appended since the last call, as "kind: text".
    std::vector<std::string> newFeed();

    FakeClock clock;
    GradingStore store;

private:
    std::size_t m_seen = 0;
};

} // namespace kelvarn::testing
