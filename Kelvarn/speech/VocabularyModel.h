#pragma once

#include <string>
#include <vector>

namespace kelvarn::speech::vocabularyModel {

using Sentence = std::vector<std::string>;

// Each hint as the recogniser's words: lower case, split at anything but letters, digits and
// apostrophes; hints without words are left out.
std::vector<Sentence> sentences(const std::vector<std::string>& hints);

// A trigram language model of the sentences in ARPA text, with absolute discounting and
// back-off, for interpolation with the general model.
std::string trigramArpa(const std::vector<Sentence>& sentences);

} // namespace kelvarn::speech::vocabularyModel
