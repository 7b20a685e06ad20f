#include "language/CommentNames.h"

#include "language/CommandParser.h"
#include "language/Graphemes.h"
#include "support/Lines.h"

#include <algorithm>

namespace kelvarn::comment_names {

namespace {

// Words run together, so that a name heard split or joined in another place still compares.
Graphemes squashedKey(std::string_view name) {
    std::string squashed;
    for (const std::string& token : CommandParser::tokenize(name)) {
        squashed += token;
    }
    return Graphemes::fromUtf8(squashed);
}

} // namespace

std::string key(std::string_view name) {
    return join(CommandParser::tokenize(name));
}

std::vector<std::size_t> matching(std::string_view heard, const std::vector<Comment>& comments) {
    const std::string heardKey = key(heard);
    std::vector<std::size_t> exact;
    for (std::size_t i = 0; i < comments.size(); ++i) {
        if (!heardKey.empty() && key(comments[i].name) == heardKey) {
            exact.push_back(i);
        }
    }
    if (!exact.empty() || heardKey.empty()) {
        return exact;
    }
    const Graphemes spoken = squashedKey(heard);
    std::vector<std::size_t> closest;
    std::size_t closestDistance = 0;
    for (std::size_t i = 0; i < comments.size(); ++i) {
        const Graphemes name = squashedKey(comments[i].name);
        const std::size_t longer = std::max(spoken.size(), name.size());
        const long limit = longer == 0 ? -1 : maxDistanceFor(similarityAccepted, longer);
        if (limit < 0) {
            continue;
        }
        const std::size_t distance =
            levenshteinWithin(spoken, name, static_cast<std::size_t>(limit));
        if (distance > static_cast<std::size_t>(limit)) {
            continue;
        }
        if (closest.empty() || distance < closestDistance) {
            closest = {i};
            closestDistance = distance;
        } else if (distance == closestDistance) {
            closest.push_back(i);
        }
    }
    return closest;
}

} // namespace kelvarn::comment_names
