#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvarn::speech {

// What is wrong with a recording made for training, when something is: such a take would teach
// the recogniser noise instead of the speaker's voice, so the prompt is read again.
enum class TakeProblem { none, nothingSaid, tooQuiet, clipped };

// Judges 16 kHz mono audio.
TakeProblem checkTake(const std::vector<std::int16_t>& samples);

// What the user is told, as a request to read the prompt again; empty for none.
std::string_view takeProblemText(TakeProblem problem);

} // namespace kelvarn::speech
