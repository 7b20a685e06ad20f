#pragma once

#include <string_view>

namespace kelvarn::rubric {

inline constexpr std::string_view title = "Essay Exam #1";
inline constexpr std::string_view course = "Introduction to Politics I · HUM 2040";
inline constexpr double maxPoints = 100.0;
inline constexpr double scoreDivisor = 20.0;
inline constexpr double maxScore = maxPoints / scoreDivisor;

} // namespace kelvarn::rubric
