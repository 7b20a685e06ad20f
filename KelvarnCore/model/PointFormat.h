#pragma once

#include <string>

namespace kelvarn {

// Exactly two decimals with a full stop, whatever the process locale.
std::string fmt(double value);
// fmt(a) + "/" + fmt(b), as in "14.96/17.00".
std::string outOf(double a, double b);

} // namespace kelvarn
