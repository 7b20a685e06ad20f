#pragma once

#include "model/Comment.h"
#include "support/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// comments.json: an array of {"name", "text", "uses"} objects in the bank's order, members in
// that order, written compact.
std::string encodeComments(const std::vector<Comment>& comments);
// Strict: every comment needs a name and a text; anything malformed fails the whole file. A
// missing or negative count of uses reads as 0.
Result<std::vector<Comment>> decodeComments(std::string_view text);

} // namespace kelvarn
