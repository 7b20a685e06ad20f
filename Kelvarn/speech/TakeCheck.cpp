#include "speech/TakeCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelvarn::speech {

namespace {

constexpr std::size_t frameSamples = 320; // 20 ms
// Less voice than a single short word.
constexpr std::size_t shortestSpeechFrames = 15; // 0.3 s
// A frame is voice when this much louder than the quietest tenth of the take, and above a
// floor that keeps a silent microphone's dither from counting as speech.
constexpr double voiceOverFloor = 4.0;
constexpr double lowestVoice = 100.0;
// Typical voice sits near -20 dBFS; below -36 dBFS the recogniser's features are mostly noise.
constexpr double quietestVoice = 520.0;
// The converter's ceiling: a run of such samples is a voice cut off at the top.
constexpr int clippedSample = 32700;

double rms(const std::int16_t* samples, std::size_t count) {
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

double quantile(std::vector<double> values, double q) {
    const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at),
                     values.end());
    return values[at];
}

} // namespace

TakeProblem checkTake(const std::vector<std::int16_t>& samples) {
    std::vector<double> frames;
    for (std::size_t at = 0; at + frameSamples <= samples.size(); at += frameSamples) {
        frames.push_back(rms(samples.data() + at, frameSamples));
    }
    if (frames.size() < shortestSpeechFrames) {
        return TakeProblem::nothingSaid;
    }
    const double threshold = std::max(quantile(frames, 0.1) * voiceOverFloor, lowestVoice);
    std::vector<double> voice;
    std::copy_if(frames.begin(), frames.end(), std::back_inserter(voice),
                 [threshold](double frame) { return frame > threshold; });
    if (voice.size() < shortestSpeechFrames) {
        return TakeProblem::nothingSaid;
    }
    const auto clipped = std::count_if(samples.begin(), samples.end(),
                                       [](std::int16_t s) { return std::abs(s) >= clippedSample; });
    // A stray peak is harmless; one sample in a thousand is audible distortion.
    if (static_cast<std::size_t>(clipped) * 1000 > samples.size()) {
        return TakeProblem::clipped;
    }
    if (quantile(voice, 0.9) < quietestVoice) {
        return TakeProblem::tooQuiet;
    }
    return TakeProblem::none;
}

std::string_view takeProblemText(TakeProblem problem) {
    switch (problem) {
    case TakeProblem::none:
        return "";
    case TakeProblem::nothingSaid:
        return "Nothing was heard: press Record and read the line aloud again.";
    case TakeProblem::tooQuiet:
        return "Too quiet: move closer to the microphone or raise its volume, and read it again.";
    case TakeProblem::clipped:
        return "Too loud, the sound was cut off: lower the microphone's volume and read it again.";
    }
    return "";
}

} // namespace kelvarn::speech
