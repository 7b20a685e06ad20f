#pragma once

#include <QString>

namespace kelvarn::views {

// The help window's texts that follow from the rubric and the spoken words.
struct HelpTexts {
    // A student's full name, as the examples use it.
    QString exampleName;
    // Commands chained in one breath, quoted: the name, a section word and a level word.
    QString example;
    // Each section's first spoken alias in rubric order, then a few of the other aliases.
    QString sections;
};

HelpTexts helpTexts();

} // namespace kelvarn::views
