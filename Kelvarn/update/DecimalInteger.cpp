#include "update/DecimalInteger.h"

#include <QByteArray>

#include <charconv>
#include <string_view>

namespace kelvarn::update {

std::optional<qint64> parseDecimalInteger(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    std::string_view digits(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
        if (digits.starts_with('-')) {
            return std::nullopt;
        }
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    qint64 value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace kelvarn::update
