#pragma once

#include "support/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::speech {

// A semi-continuous model's mixture weights: for each senone and feature stream, one weight
// per density of the stream's codebook.
struct MixtureWeights {
    std::int32_t senones = 0;
    std::int32_t features = 0;
    std::int32_t densities = 0;
    // senone-major: weights[(senone * features + feature) * densities + density].
    std::vector<float> weights;

    float at(std::int32_t senone, std::int32_t feature, std::int32_t density) const {
        return weights[(static_cast<std::size_t>(senone) * features + feature) * densities +
                       density];
    }
};

namespace mixtureWeights {

// The decoder's compressed `sendump`: each weight as a byte, its negated logarithm in steps of
// 1024 units of base 1.0001. The packaged model ships only this, and adaptation needs the
// weights themselves; each comes back as the middle of its step.
Result<MixtureWeights> fromSendump(std::string_view bytes);

// The trainer's `mixture_weights` file (SphinxTrain's binary parameter format).
std::string mixtureWeightsFile(const MixtureWeights& weights);

} // namespace mixtureWeights

} // namespace kelvarn::speech
