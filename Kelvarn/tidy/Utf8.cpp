#include "tidy/Utf8.h"

#include <unicode/ustring.h>

#include <limits>

namespace kelvarn::tidy {

bool isValidUtf8(const QByteArray& bytes) {
    // ICU counts in 32 bits; output of 2 GiB is not a reply anyway.
    if (bytes.size() > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    // Measuring only: a valid text reports that it needs a buffer.
    u_strFromUTF8(nullptr, 0, &length, bytes.constData(), static_cast<int32_t>(bytes.size()),
                  &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

QString decodedUtf8(const QByteArray& bytes) {
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : QString();
}

std::string utf8OrEmpty(const QByteArray& bytes) {
    return isValidUtf8(bytes) ? bytes.toStdString() : std::string();
}

} // namespace kelvarn::tidy
