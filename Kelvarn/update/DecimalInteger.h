#pragma once

#include <QStringView>

#include <optional>

namespace kelvarn::update {

// A whole decimal number with an optional leading "+" or "-", nothing else around it; absent
// when the text is empty, holds anything else or does not fit in 64 bits.
std::optional<qint64> parseDecimalInteger(QStringView text);

} // namespace kelvarn::update
