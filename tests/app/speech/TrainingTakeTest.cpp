// What the training window asks the speaker to read, and how it judges each take.
#include "speech/TakeCheck.h"
#include "speech/TrainingPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

namespace kelvarn::speech {
namespace {

constexpr int rate = 16000;

// A take: a faint room floor with a voice-like tone of `amplitude` from `from` to `to` seconds.
std::vector<std::int16_t> take(double amplitude, double from, double to, double seconds = 2.0,
                               double floor = 30) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, floor);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double value = noise(random);
        if (t >= from && t < to) {
            value +=
                amplitude * std::sin(2 * M_PI * 220 * t) * (0.6 + 0.4 * std::sin(2 * M_PI * 3 * t));
        }
        samples[i] = static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0));
    }
    return samples;
}

TEST(TakeCheckTest, AVoiceAtAUsualLevelPassesAndEachFaultIsNamed) {
    EXPECT_EQ(checkTake(take(6000, 0.4, 1.6)), TakeProblem::none);
    EXPECT_EQ(checkTake(take(6000, 0.4, 1.6, 2.0, 400)), TakeProblem::none) << "a noisy room";

    EXPECT_EQ(checkTake(take(0, 0, 0)), TakeProblem::nothingSaid) << "only the room";
    EXPECT_EQ(checkTake(take(6000, 0.5, 0.6)), TakeProblem::nothingSaid) << "a click, no words";
    EXPECT_EQ(checkTake({}), TakeProblem::nothingSaid) << "Stop pressed at once";
    EXPECT_EQ(checkTake(take(500, 0.4, 1.6, 2.0, 5)), TakeProblem::tooQuiet);
    EXPECT_EQ(checkTake(take(60000, 0.4, 1.6)), TakeProblem::clipped);

    for (const TakeProblem problem :
         {TakeProblem::nothingSaid, TakeProblem::tooQuiet, TakeProblem::clipped}) {
        EXPECT_NE(takeProblemText(problem).find("again"), std::string_view::npos)
            << "every refusal asks for the prompt again";
    }
    EXPECT_TRUE(takeProblemText(TakeProblem::none).empty());
}

TEST(TrainingPromptsTest, EveryLevelSectionAndNameIsReadAndNoPromptTwice) {
    const std::vector<std::string> names{"Nadia Ford", "O'Brien, Siobhán", "Jean-Luc Picard", "  ",
                                         "Omar Haddad"};
    const auto prompts = trainingPrompts(names);
    ASSERT_EQ(prompts.size(), 24u);
    EXPECT_EQ(std::set<std::string>(prompts.begin(), prompts.end()).size(), prompts.size());
    std::string all;
    for (const std::string& prompt : prompts) {
        all += ' ' + prompt;
        EXPECT_EQ(prompt.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ,-.0123456789"),
                  std::string::npos)
            << prompt;
    }
    for (const char* word :
         {"complete", "mostly", "somewhat", "incomplete", "introduction", "claims", "evidence",
          "analysis", "conclusion", "style", "next student", "undo"}) {
        EXPECT_NE(all.find(word), std::string::npos) << word;
    }
    for (const char* name : {"nadia ford", "o'brien siobhán", "jean luc picard", "omar haddad"}) {
        EXPECT_NE(all.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(trainingPrompts(names), prompts) << "the same class, the same prompts";

    EXPECT_EQ(trainingPrompts({}).size(), 24u) << "a class without names reads notes instead";
    std::vector<std::string> large;
    for (int i = 0; i < 30; ++i) {
        large.push_back("Student " + std::string(1, static_cast<char>('a' + i % 26)));
    }
    EXPECT_EQ(trainingPrompts(large, 100).size(), 40u) << "at most forty";
}

} // namespace
} // namespace kelvarn::speech
