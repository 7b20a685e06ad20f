#include "model/PointFormat.h"

#include <charconv>

namespace kelvarn {

std::string fmt(double value) {
    // Room for the largest double in fixed notation (309 digits) with sign, point and decimals.
    char buffer[400];
    // to_chars ignores LC_NUMERIC, unlike printf, which follows it once a GUI calls setlocale.
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

std::string outOf(double a, double b) {
    return fmt(a) + "/" + fmt(b);
}

} // namespace kelvarn
