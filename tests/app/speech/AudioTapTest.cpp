#include "speech/AudioTap.h"
#include "speech/FormatConverter.h"
#include "speech/InputLevel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvarn::speech {
namespace {

using namespace std::chrono_literals;

AudioBuffer constant(const AudioFormat& format, std::size_t frames, float value) {
    return {format, std::vector<float>(frames * static_cast<std::size_t>(format.channels), value)};
}

AudioBuffer sine(const AudioFormat& format, std::size_t frames, double hz, std::size_t offset) {
    std::vector<float> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(offset + i) / format.sampleRate;
        const auto value = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * hz * t));
        for (int c = 0; c < format.channels; ++c) {
            samples.push_back(value);
        }
    }
    return {format, samples};
}

std::vector<AudioBuffer> drain(AudioInputQueue& queue) {
    std::vector<AudioBuffer> buffers;
    while (auto buffer = queue.pop(0ms)) {
        buffers.push_back(std::move(*buffer));
    }
    return buffers;
}

TEST(AudioTapTest, MetersTheFirstChannelOfEveryThirdBuffer) {
    const AudioFormat stereo{16000, 2, SampleType::float32};
    std::vector<float> levels;
    AudioTap tap(stereo, stereo, std::make_shared<AudioInputQueue>(),
                 [&](float level) { levels.push_back(level); });

    tap.process(constant(stereo, 4096, 0.05f));
    tap.process(constant(stereo, 4096, 0.05f));
    EXPECT_TRUE(levels.empty()) << "the first and second buffers give no level";
    tap.process(constant(stereo, 4096, 0.05f));
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_NEAR(levels[0], 0.4f, 1e-5f);

    // Second channel loud, first silent: only the first counts.
    std::vector<float> frames(2 * 4096, 0.0f);
    for (std::size_t i = 1; i < frames.size(); i += 2) {
        frames[i] = 0.9f;
    }
    for (int i = 0; i < 3; ++i) {
        tap.process({stereo, frames});
    }
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[1], 0.0f);

    EXPECT_EQ(inputLevel(constant(stereo, 100, 0.125f)), 1.0f);
    EXPECT_EQ(inputLevel(constant(stereo, 100, -0.7f)), 1.0f) << "capped";
    EXPECT_EQ(inputLevel(constant(stereo, 0, 0.5f)), std::nullopt) << "no frames";
    EXPECT_EQ(inputLevel({speechFormat, std::vector<std::int16_t>(100, 9000)}), std::nullopt)
        << "no float samples";
}

TEST(AudioTapTest, PassesBuffersUnchangedWhenTheFormatsAlreadyMatch) {
    const auto queue = std::make_shared<AudioInputQueue>();
    AudioTap tap(speechFormat, speechFormat, queue, nullptr);
    EXPECT_FALSE(tap.converts());
    const AudioBuffer captured{speechFormat, std::vector<std::int16_t>{1, -2, 3}};
    tap.process(captured);
    const auto queued = drain(*queue);
    ASSERT_EQ(queued.size(), 1u);
    ASSERT_NE(queued[0].ints(), nullptr);
    EXPECT_EQ(*queued[0].ints(), *captured.ints());
}

TEST(AudioTapTest, ConvertsCaptureToTheRecognisersFormatWithTheRatioAndHeadroom) {
    EXPECT_EQ(outputCapacity(4096, 48000, 16000), 1365u + 1024u);
    EXPECT_EQ(outputCapacity(4096, 44100, 16000), 1486u + 1024u);

    const AudioFormat capture{48000, 2, SampleType::float32};
    const auto queue = std::make_shared<AudioInputQueue>();
    AudioTap tap(capture, speechFormat, queue, nullptr);
    ASSERT_TRUE(tap.converts());
    std::size_t frames = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        tap.process(sine(capture, 4096, 440, i * 4096));
    }
    for (const AudioBuffer& buffer : drain(*queue)) {
        EXPECT_EQ(buffer.format, speechFormat);
        ASSERT_NE(buffer.ints(), nullptr);
        EXPECT_LE(buffer.frameCount(), outputCapacity(4096, 48000, 16000));
        frames += buffer.frameCount();
        // A 0.5 sine, mixed from two equal channels, stays near half of full scale.
        const auto peak = *std::ranges::max_element(*buffer.ints());
        EXPECT_LT(peak, 17500);
    }
    // The resampler holds back a little for its filter; the rest comes through at a third.
    EXPECT_GT(frames, 12u * 4096u / 3u - 1024u);
    EXPECT_LE(frames, 12u * 4096u / 3u);

    EXPECT_EQ(FormatConverter::create(speechFormat, capture), nullptr)
        << "only float capture is converted";
}

TEST(AudioTapTest, PassesBuffersUnconvertedWhenNoConverterCanBeMade) {
    const AudioFormat odd{0, 1, SampleType::float32};
    const auto queue = std::make_shared<AudioInputQueue>();
    AudioTap tap(odd, speechFormat, queue, nullptr);
    EXPECT_FALSE(tap.converts());
    tap.process(constant(odd, 10, 0.1f));
    const auto queued = drain(*queue);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].format, odd);
}

TEST(AudioTapTest, TheQueueHandsOverWhatWasPushedBeforeItFinished) {
    const AudioFormat mono{16000, 1, SampleType::float32};
    AudioInputQueue queue;
    queue.push(constant(mono, 1, 0));
    queue.finish();
    queue.push(constant(mono, 2, 0));
    EXPECT_FALSE(queue.drained());
    EXPECT_TRUE(queue.pop(0ms).has_value());
    EXPECT_FALSE(queue.pop(10ms).has_value()) << "nothing pushed after the end";
    EXPECT_TRUE(queue.drained());
}

} // namespace
} // namespace kelvarn::speech
