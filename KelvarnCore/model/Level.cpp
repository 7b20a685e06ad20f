#include "model/Level.h"

#include "support/EnumTable.h"

namespace kelvarn::levels {

namespace {

struct LevelInfo {
    std::string_view raw;
    std::string_view title;
    std::string_view shortLabel;
    double fraction;
    std::string_view description;
};

constexpr std::array<LevelInfo, 4> infos{{
    {"complete", "Complete", "C", 1.0,
     "Student completely met expectations and executed what was asked without ambiguity or "
     "issue."},
    {"mostly", "Mostly", "M", 0.88,
     "Student mostly met expectations and executed what was asked, but some ambiguities or issues "
     "were present."},
    {"somewhat", "Somewhat", "S", 0.76,
     "Student somewhat met expectations or executed what was asked, but significant ambiguities "
     "or issues were present."},
    {"incomplete", "Incomplete", "I", 0.64,
     "Student did not meet expectations or execute what was asked."},
}};

const LevelInfo& info(Level level) {
    return tableEntry(infos, level);
}

} // namespace

std::string_view rawValue(Level level) {
    return info(level).raw;
}

std::optional<Level> fromRawValue(std::string_view text) {
    return fromRaw(allCases, infos, text);
}

std::string_view title(Level level) {
    return info(level).title;
}

std::string_view shortLabel(Level level) {
    return info(level).shortLabel;
}

double fraction(Level level) {
    return info(level).fraction;
}

std::string_view descriptionText(Level level) {
    return info(level).description;
}

const std::vector<std::string>& spokenAliases(Level level) {
    static const std::array<std::vector<std::string>, 4> aliases{{
        {"complete", "completed", "full", "full marks", "full credit"},
        {"mostly"},
        {"somewhat", "some what"},
        {"incomplete", "in complete", "not complete"},
    }};
    return tableEntry(aliases, level);
}

} // namespace kelvarn::levels
