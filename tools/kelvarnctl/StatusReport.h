#pragma once

#include "model/Session.h"

#include <string>

namespace kelvarn::ctl {

// One line per student, NAME<TAB>n/6<TAB>x.xx/5.00, then "Focus: " and what is focused. Names
// are written as one line without control characters, whatever the saved session holds.
std::string statusReport(const Session& session);

} // namespace kelvarn::ctl
