#pragma once

#include "model/Session.h"

#include <string>

namespace kelvarn::ctl {

// One line per student, NAME<TAB>n/6<TAB>x.xx/5.00, then "Focus: " and what is focused.
std::string statusReport(const Session& session);

} // namespace kelvarn::ctl
