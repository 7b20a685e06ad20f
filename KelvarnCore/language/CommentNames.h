#pragma once

#include "model/Comment.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Short names of the comment bank as they are said: "comment thesis vague" files the comment
// called "Thesis vague", and so does "comment theses vague".
namespace kelvarn::comment_names {

// A spoken name may have at most this many words; a longer sentence after "comment" is dictation.
inline constexpr std::size_t maxWords = 4;
// How alike (0 to 1, by characters) a heard name must be to a comment's name.
inline constexpr double similarityAccepted = 0.75;

// What two names compare as: their words, folded as the parser folds them, one space apart.
// Empty for a name without a word.
std::string key(std::string_view name);

// The comments (indexes into `comments`) that a heard name means: the one it names exactly, or
// else those closest to it within the accepted similarity, all of them when several are
// equally close. Empty when none is close enough.
std::vector<std::size_t> matching(std::string_view heard, const std::vector<Comment>& comments);

} // namespace kelvarn::comment_names
