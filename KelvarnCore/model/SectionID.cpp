#include "model/SectionID.h"

#include "support/EnumTable.h"

namespace kelvarn::sections {

namespace {

struct SectionInfo {
    std::string_view raw;
    std::string_view title;
    std::string_view shortTitle;
    double weight;
};

constexpr std::array<SectionInfo, 6> infos{{
    {"intro", "Introduction, Thesis and Roadmap", "Intro / Thesis", 17},
    {"claims", "Supporting Claims", "Claims", 17},
    {"evidence", "Use of Evidence", "Evidence", 17},
    {"analysis", "Analysis of Evidence", "Analysis", 17},
    {"conclusion", "Conclusion", "Conclusion", 16},
    {"style", "General Structure and Style", "Structure & Style", 16},
}};

const SectionInfo& info(SectionID section) {
    return tableEntry(infos, section);
}

} // namespace

std::string_view rawValue(SectionID section) {
    return info(section).raw;
}

std::optional<SectionID> fromRawValue(std::string_view text) {
    return fromRaw(allCases, infos, text);
}

std::string_view title(SectionID section) {
    return info(section).title;
}

std::string_view shortTitle(SectionID section) {
    return info(section).shortTitle;
}

double weight(SectionID section) {
    return info(section).weight;
}

const std::vector<std::string>& spokenAliases(SectionID section) {
    static const std::array<std::vector<std::string>, 6> aliases{{
        {"introduction", "intro", "thesis", "roadmap", "road map", "thesis and roadmap",
         "introduction thesis and roadmap"},
        {"supporting claims", "claims", "supporting"},
        {"use of evidence", "evidence"},
        {"analysis of evidence", "analysis"},
        {"conclusion"},
        {"general structure and style", "structure and style", "general structure", "structure",
         "style"},
    }};
    return tableEntry(aliases, section);
}

double points(SectionID section, Level level) {
    return weight(section) * levels::fraction(level);
}

} // namespace kelvarn::sections
