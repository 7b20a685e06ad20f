#include "persistence/GradeBookRoster.h"

#include "persistence/CsvRows.h"
#include "support/Unicode.h"

#include <algorithm>
#include <set>

namespace kelvarn::roster {

namespace {

std::string trimmed(std::string_view text) {
    return unicode::trimWhitespace(std::string(text));
}

// Where a column is, whatever its letter case.
std::optional<std::size_t> columnOf(const std::vector<std::string>& header, std::string_view name) {
    const std::string wanted = unicode::toLower(std::string(name));
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (unicode::toLower(header[i]) == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Parsed> parseGradeBook(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const std::vector<std::vector<std::string>> rows = csvRows(text);
    if (rows.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> header;
    for (const std::string& column : rows.front()) {
        header.push_back(trimmed(column));
    }
    const auto student = columnOf(header, "Student");
    const auto canvasID = columnOf(header, "ID");
    const auto first = columnOf(header, "First name");
    const auto last = columnOf(header, "Last name");
    const bool canvas = student && canvasID;
    if (!canvas && !(first && last)) {
        return std::nullopt;
    }

    Parsed parsed;
    ++parsed.ignoredLines; // the header
    std::set<std::string> seenKeys;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<std::string> row = rows[r];
        row.resize(std::max(row.size(), header.size()));
        const auto field = [&](std::size_t column) { return trimmed(row[column]); };
        if (canvas && field(*student).starts_with("Points Possible")) {
            ++parsed.ignoredLines;
            continue;
        }
        std::optional<RosterName> name;
        if (canvas) {
            name = readName(field(*student));
        } else if (const std::string surname = field(*last); !surname.empty()) {
            name = readName(field(*first) + ' ' + surname);
            // The surname is the name's last words, or no surname is known: a row with only a
            // last name is that name alone.
            const std::string words = name ? readName(surname).value_or(RosterName("")).name : "";
            if (name && !words.empty() && name->name.ends_with(' ' + words)) {
                name->surname = words;
            }
        }
        if (!name) {
            ++parsed.skippedLines;
            continue;
        }
        for (std::size_t c = 0; c < header.size(); ++c) {
            name->identifiers.push_back({header[c], field(c)});
        }
        std::string key;
        for (const std::string& part : identifierKeys(name->identifiers)) {
            key += part + '\x1E';
        }
        // The same row twice is one student; without an ID the name is all there is to go by.
        if (!seenKeys.insert(key.empty() ? "\x1D" + unicode::toLower(name->name) : key).second) {
            ++parsed.ignoredLines;
            continue;
        }
        parsed.names.push_back(std::move(*name));
    }
    return parsed;
}

} // namespace kelvarn::roster
