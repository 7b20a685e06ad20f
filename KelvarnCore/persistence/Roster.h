#pragma once

#include "model/RosterName.h"
#include "support/Result.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::roster {

// Longer lines are text, not names; matching spoken words against them would also be slow.
inline constexpr std::size_t maxNameCharacters = 100;
inline constexpr std::size_t maxNameWords = 8;

struct Parsed {
    std::vector<RosterName> names;
    // Lines that cannot be names, so that the caller can say they were left out.
    std::size_t skippedLines = 0;
    // Lines left out that need no word: blank lines, comments, repeated names and a heading.
    std::size_t ignoredLines = 0;

    // Every line that named no one: with the names, that is every line of the file.
    std::size_t leftOutLines() const { return skippedLines + ignoredLines; }

    friend bool operator==(const Parsed&, const Parsed&) = default;
};

// The names of a roster file, one student per line, in file order. Blank lines, "#" comments and
// a first line that is only a column heading ("Name", "Students", "Student name") are left out,
// "Surname, Given" becomes "Given Surname" with its surname kept, runs of spaces become one, names
// are composed (NFC), and a name that differs from an earlier one only in letter case is dropped.
// Invalid UTF-8 becomes U+FFFD so that no student silently disappears, and a leading byte-order
// mark is ignored. A line is skipped and counted when it holds a control character other than a
// tab, has no letter, or has more than maxNameCharacters characters or maxNameWords words. Text
// with a NUL byte is not a roster at all (a binary file) and has no names.
// A grade book exported as CSV by a learning platform (see parseGradeBook) is read as one
// instead.
Parsed parse(std::string_view text);

// One name as a roster line writes it, checked and tidied as parse does; nothing when the text
// cannot be a name.
std::optional<RosterName> readName(std::string_view text);

// A roster file read and parsed. Fails with the texts shown to the user: "Couldn't read roster: "
// and the reason, or "That file has no names in it."
Result<Parsed> readFile(const std::filesystem::path& path);

// The feed's word on lines left out, for a count above zero.
std::string skippedLinesNotice(std::size_t count);

} // namespace kelvarn::roster
