#pragma once

#include "engine/GradingStore.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

namespace kelvarn::ctl {

struct ListenOptions {
    // Played in turn instead of the microphone.
    std::vector<std::filesystem::path> files;
    // Play files at the pace of live audio instead of as fast as the recogniser takes them.
    bool realTime = false;
    // Print each unfinished transcript to err as partial<TAB>TEXT.
    bool partials = false;
    // Silence after commands that ends them, in ms; nothing for the recogniser's own choice.
    std::optional<int> commandEndMs;
    // Where the speaker's voice profile is looked for.
    std::filesystem::path dataFolder;
};

// Runs the speech engine over the store as the application does: each finished utterance is
// handed to the store. Returns the exit status; failures are printed to err.
int listen(GradingStore& store, const ListenOptions& options, std::ostream& err);

} // namespace kelvarn::ctl
