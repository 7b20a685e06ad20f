#pragma once

#include "model/Comment.h"
#include "support/Result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The comment bank as a two-column CSV, "Name,Text", to keep in a spreadsheet or share with
// the other TAs of a course.
namespace kelvarn::commentCsv {

// With a header row; a text that a spreadsheet would run as a formula is guarded as in the
// grade exports.
std::string csv(const std::vector<Comment>& comments);

struct Parsed {
    std::vector<Comment> comments;
    // Rows without both a name and a text.
    std::size_t skippedRows = 0;
};
// Reads the first two columns of every row; a first row reading "Name,Text" is the header. The
// guard that csv() adds is taken off again. Uses start at 0.
Parsed parse(std::string_view text);
// The file read and parsed; an error when it cannot be read or holds no comment.
Result<Parsed> readFile(const std::filesystem::path& path);

} // namespace kelvarn::commentCsv
