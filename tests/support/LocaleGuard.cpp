#include "support/LocaleGuard.h"

namespace kelvarn::testing {

LocaleGuard::LocaleGuard(const char* name)
    : m_previousC(std::setlocale(LC_ALL, nullptr)), m_previousCpp(std::locale()) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
        std::locale::global(std::locale(name));
        m_active = true;
    }
}

LocaleGuard::~LocaleGuard() {
    std::setlocale(LC_ALL, m_previousC.c_str());
    std::locale::global(m_previousCpp);
}

} // namespace kelvarn::testing
