#include "speech/TrainingPrompts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace kelvarn::speech {

namespace {

// Every section and level said at least once; commands the way they are said in a session.
constexpr std::array<std::string_view, 16> commandPrompts{
    "introduction complete",
    "supporting claims mostly",
    "use of evidence somewhat",
    "analysis of evidence incomplete",
    "conclusion mostly",
    "structure and style complete",
    "next student",
    "previous student",
    "next section",
    "undo that",
    "pause listening",
    "resume listening",
    "thesis somewhat",
    "evidence complete",
    "analysis mostly",
    "style incomplete",
};

constexpr std::array<std::string_view, 16> feedbackPrompts{
    "the thesis is clear but the roadmap is missing",
    "good use of evidence from the readings",
    "the analysis needs more depth",
    "strong conclusion that ties the argument together",
    "please cite your sources in the text",
    "the second claim is not supported",
    "watch your paragraph structure",
    "a well organised and persuasive essay",
    "explain why the evidence matters",
    "the introduction could be more focused",
    "several spelling and grammar mistakes",
    "this argument is original and convincing",
    "the quotes need to be explained",
    "consider the counter argument",
    "the essay runs over the word limit",
    "nice work overall",
};

// Levels that follow a name, in turn.
constexpr std::array<std::string_view, 4> nameCommands{"intro complete", "conclusion mostly",
                                                       "evidence somewhat", "claims incomplete"};

// A name as the recogniser's words: lower case letters, with every other character a space.
std::string spoken(const std::string& name) {
    std::string words;
    bool space = false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte) != 0 || c == '\'' || byte >= 0x80) {
            if (space && !words.empty()) {
                words += ' ';
            }
            words += static_cast<char>(std::tolower(byte));
            space = false;
        } else {
            space = true;
        }
    }
    return words;
}

} // namespace

std::vector<std::string> trainingPrompts(const std::vector<std::string>& names, std::size_t count) {
    count = std::min<std::size_t>(count, commandPrompts.size() + feedbackPrompts.size() + 8);
    // Commands first, then names and notes taking turns, so that a short set holds all three.
    std::vector<std::string> prompts;
    const std::size_t commands = std::min(commandPrompts.size(), (count + 1) / 2);
    for (std::size_t i = 0; i < commands; ++i) {
        prompts.emplace_back(commandPrompts[i]);
    }
    std::vector<std::string> named;
    for (const std::string& name : names) {
        const std::string words = spoken(name);
        if (!words.empty() && named.size() < 8) {
            named.push_back(words + ' ' + std::string(nameCommands[named.size() % 4]));
        }
    }
    std::size_t nextName = 0;
    std::size_t nextFeedback = 0;
    while (prompts.size() < count) {
        const bool nameTurn = nextName < named.size() &&
                              (nextName <= nextFeedback || nextFeedback == feedbackPrompts.size());
        if (nameTurn) {
            prompts.push_back(named[nextName++]);
        } else if (nextFeedback < feedbackPrompts.size()) {
            prompts.emplace_back(feedbackPrompts[nextFeedback++]);
        } else {
            break;
        }
    }
    return prompts;
}

} // namespace kelvarn::speech
