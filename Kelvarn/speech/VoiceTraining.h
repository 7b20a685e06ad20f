#pragma once

#include "speech/SphinxDecoder.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvarn::speech {

// One recording of the speaker and the text they read in it.
struct TrainingPrompt {
    std::filesystem::path wav;
    std::string text;
};

struct TrainingProgress {
    std::string step;
    // Of the whole training, 0 to 1.
    double fraction = 0;
};

struct TrainingOutcome {
    // Prompts whose recording could not be matched to their text, by position: read again.
    std::vector<std::size_t> rejected;
    // Why no profile was written; empty when one was.
    std::string failure;

    bool trained() const { return failure.empty(); }
};

namespace voiceTraining {

// The trainer's own tools, which Debian installs off the search path.
inline constexpr const char* trainerFolder = "/usr/lib/sphinxtrain";

// Whether every outside program training runs is installed; the message says which is not.
Result<void> toolsAreInstalled();

// Adapts the system model (MAP) to the speaker of the prompts and puts the result in place as
// the data folder's voice profile (see VoiceProfile.h), replacing any earlier one in one step.
// Most prompts must match their text. Runs the trainer's tools in a temporary folder, each
// with a time limit. Blocks for seconds: off the main thread in a window. `progress` is called
// on the calling thread.
TrainingOutcome train(const std::vector<TrainingPrompt>& prompts, const SphinxSettings& model,
                      const std::filesystem::path& dataFolder,
                      const std::function<void(const TrainingProgress&)>& progress);

} // namespace voiceTraining

} // namespace kelvarn::speech
