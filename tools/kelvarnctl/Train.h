#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kelvarn::ctl {

struct TrainOptions {
    // Recordings and the texts read in them, pair by pair.
    std::vector<std::filesystem::path> files;
    std::vector<std::string> texts;
    // Remove the voice profile instead.
    bool forget = false;
};

// Trains the recogniser on the speaker of the recordings, writing the data folder's voice
// profile; progress goes to out as progress<TAB>PERCENT<TAB>STEP and each recording that did not
// match its text as rejected<TAB>FILE<TAB>TEXT. Returns the exit status.
int train(const std::filesystem::path& dataFolder, const TrainOptions& options, std::ostream& out,
          std::ostream& err);

} // namespace kelvarn::ctl
