#include "persistence/Roster.h"

#include "persistence/FileIO.h"
#include "persistence/GradeBookRoster.h"
#include "support/ControlCharacters.h"
#include "support/Lines.h"
#include "support/Unicode.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <unordered_set>

namespace kelvarn::roster {

namespace {

// Spaces and tabs: white space that does not end a line (Unicode "blank").
std::string_view trimBlanks(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::int32_t start = 0;
    auto end = static_cast<std::int32_t>(text.size());
    while (start < end) {
        std::int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, end, c);
        if (c < 0 || !u_isblank(c)) {
            break;
        }
        start = next;
    }
    while (end > start) {
        std::int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !u_isblank(c)) {
            break;
        }
        end = previous;
    }
    return text.substr(start, end - start);
}

std::string collapseSpaces(std::string_view name);

// "Ford, Nadia" is "Nadia Ford" with the surname "Ford"; only the first comma splits, and a line
// with nothing after its comma (or nothing before it) is kept as written.
RosterName reorderSurnameFirst(std::string_view line) {
    const auto comma = line.find(',');
    if (comma != std::string_view::npos && comma > 0) {
        const std::string_view given = trimBlanks(line.substr(comma + 1));
        const std::string_view surname = trimBlanks(line.substr(0, comma));
        if (!given.empty() && !surname.empty()) {
            return RosterName(
                unicode::toNFC(collapseSpaces(std::string(given) + ' ' + std::string(surname))),
                unicode::toNFC(collapseSpaces(surname)));
        }
    }
    return RosterName(unicode::toNFC(collapseSpaces(line)));
}

std::string collapseSpaces(std::string_view name) {
    std::string collapsed;
    collapsed.reserve(name.size());
    for (char c : name) {
        if (c != ' ' || (!collapsed.empty() && collapsed.back() != ' ')) {
            collapsed += c;
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') {
        collapsed.pop_back();
    }
    return collapsed;
}

// A tab inside a name is kept as written; every other control character means the line is not
// text a person typed as a name, and so does a line without a single letter.
bool hasLetterAndNoControl(std::string_view line) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());
    const auto length = static_cast<std::int32_t>(line.size());
    bool letter = false;
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c != '\t' && isControlCharacter(static_cast<char32_t>(c))) {
            return false;
        }
        letter = letter || u_isalpha(c);
    }
    return letter;
}

// A column heading above the names, as a spreadsheet exports it. Only these few words: a first line
// that might be a student is kept.
bool isHeading(std::string_view line) {
    static const std::unordered_set<std::string> headings = {
        "name", "names", "student", "students", "student name", "student names"};
    return headings.contains(unicode::toLower(collapseSpaces(line)));
}

// CR LF splits into two pieces with nothing between them, and text that ends with a line end
// leaves nothing after it: neither empty piece is a line of the file.
bool isLineOfFile(std::string_view text, std::string_view piece) {
    if (!piece.empty()) {
        return true;
    }
    const auto at = static_cast<std::size_t>(piece.data() - text.data());
    return at < text.size() && !(at > 0 && text[at - 1] == '\r' && text[at] == '\n');
}

} // namespace

Parsed parse(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return {};
    }
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const std::string repaired = unicode::repairUtf8(text);
    if (std::optional<Parsed> book = parseGradeBook(repaired)) {
        return std::move(*book);
    }
    Parsed parsed;
    std::unordered_set<std::string> seen;
    const std::vector<std::string_view> lines = splitLines(repaired);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isLineOfFile(repaired, lines[i])) {
            continue;
        }
        const std::string_view trimmed = trimBlanks(lines[i]);
        if (trimmed.empty() || trimmed.front() == '#' || (i == 0 && isHeading(trimmed))) {
            ++parsed.ignoredLines;
            continue;
        }
        std::optional<RosterName> name = readName(trimmed);
        if (!name) {
            ++parsed.skippedLines;
            continue;
        }
        if (seen.insert(unicode::toLower(name->name)).second) {
            parsed.names.push_back(std::move(*name));
        } else {
            ++parsed.ignoredLines;
        }
    }
    return parsed;
}

std::optional<RosterName> readName(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    if (!hasLetterAndNoControl(trimmed)) {
        return std::nullopt;
    }
    RosterName name = reorderSurnameFirst(trimmed);
    if (splitWords(name.name).size() > maxNameWords ||
        unicode::characterCount(name.name) > maxNameCharacters) {
        return std::nullopt;
    }
    return name;
}

Result<Parsed> readFile(const std::filesystem::path& path) {
    const auto text = readWholeFile(path, maxRosterFileBytes);
    if (!text) {
        return Error{"Couldn't read roster: " + text.error()};
    }
    Parsed parsed = parse(text.value());
    if (parsed.names.empty()) {
        return Error{"That file has no names in it."};
    }
    return parsed;
}

std::string skippedLinesNotice(std::size_t count) {
    return "Skipped " + std::to_string(count) + " line(s) that don't look like names";
}

} // namespace kelvarn::roster
