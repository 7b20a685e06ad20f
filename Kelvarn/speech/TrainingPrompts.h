#pragma once

#include <string>
#include <vector>

namespace kelvarn::speech {

// What a speaker reads to train the recogniser on their voice: the words Kelvarn listens for
// (sections, levels, commands), the class's names in the commands they start, and feedback
// sentences like dictated notes. Lower case, one short line each, the same for the same class.
// Up to `count` prompts (at most 40); names beyond what fits are left out.
std::vector<std::string> trainingPrompts(const std::vector<std::string>& names,
                                         std::size_t count = 24);

} // namespace kelvarn::speech
