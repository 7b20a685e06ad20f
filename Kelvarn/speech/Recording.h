#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvarn::speech {

// The audio of one utterance in the recogniser's format (16 kHz mono), shared because it is
// kept for replay while the recogniser goes on; null when none was kept.
using Recording = std::shared_ptr<const std::vector<std::int16_t>>;

} // namespace kelvarn::speech
