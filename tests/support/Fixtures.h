#pragma once

#include "engine/Clock.h"
#include "model/Session.h"

#include <chrono>
#include <string>
#include <vector>

namespace kelvarn::testing {

// A clock that only moves when told to.
struct FakeClock {
    TimePoint now = fromSecondsSinceReferenceDate(800000000.0);

    Clock clock() {
        return [this] { return now; };
    }
    void advance(double seconds) {
        now +=
            std::chrono::duration_cast<TimePoint::duration>(std::chrono::duration<double>(seconds));
    }
};

// Fresh records with the given names, in order, nothing graded.
Session sessionWithStudents(const std::vector<std::string>& names);

// Every section graded at the given level.
StudentRecord fullyGraded(const std::string& name, Level level);

} // namespace kelvarn::testing
