#pragma once

#include <clocale>
#include <locale>
#include <string>

namespace kelvarn::testing {

// Switches the C and C++ global locales for the life of the guard, as a GUI application
// does at start-up, so number formatting can be checked under a comma-decimal locale.
class LocaleGuard final {
public:
    explicit LocaleGuard(const char* name);
    ~LocaleGuard();
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

    bool active() const { return m_active; }

private:
    std::string m_previousC;
    std::locale m_previousCpp;
    bool m_active = false;
};

} // namespace kelvarn::testing
