#pragma once

#include <ostream>

namespace kelvarn::ctl {

// Exit statuses: 0 done, 1 failed (message on err), 2 usage error.
inline constexpr int exitFailure = 1;
inline constexpr int exitUsage = 2;

// Runs one kelvarnctl command line over a data folder. Feed lines appended while it runs are
// written to out as KIND<TAB>TEXT; errors go to err.
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace kelvarn::ctl
