#include "persistence/CommentCsv.h"

#include "persistence/CSVExporter.h"
#include "persistence/CsvRows.h"
#include "persistence/FileIO.h"
#include "support/Unicode.h"

namespace kelvarn::commentCsv {

namespace {

bool isHeader(const std::vector<std::string>& row) {
    return row.size() >= 2 && unicode::toLower(unicode::trimWhitespace(row[0])) == "name" &&
           unicode::toLower(unicode::trimWhitespace(row[1])) == "text";
}

std::string unguarded(std::string field) {
    if (field.size() >= 2 && field.front() == '\'' &&
        std::string_view("=+-@").find(field[1]) != std::string_view::npos) {
        field.erase(0, 1);
    }
    return field;
}

} // namespace

std::string csv(const std::vector<Comment>& comments) {
    std::string out = csvExporter::row({"Name", "Text"});
    for (const Comment& comment : comments) {
        out += csvExporter::row({comment.name, comment.text});
    }
    return out;
}

Parsed parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<std::vector<std::string>> rows = csvRows(unicode::repairUtf8(text));
    Parsed out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string>& row = rows[i];
        if (i == 0 && isHeader(row)) {
            continue;
        }
        std::string name = row.empty() ? std::string() : unguarded(unicode::trimWhitespace(row[0]));
        std::string body =
            row.size() < 2 ? std::string() : unguarded(unicode::trimWhitespace(row[1]));
        if (name.empty() || body.empty()) {
            ++out.skippedRows;
            continue;
        }
        out.comments.push_back(Comment{std::move(name), std::move(body)});
    }
    return out;
}

Result<Parsed> readFile(const std::filesystem::path& path) {
    const auto text = readWholeFile(path, maxCorrectionsFileBytes);
    if (!text) {
        return Error{"Couldn't read " + path.string() + ": " + text.error()};
    }
    Parsed parsed = parse(text.value());
    if (parsed.comments.empty()) {
        return Error{path.string() + " has no comments in it: each row needs a short name, a "
                                     "comma and the comment's text."};
    }
    return parsed;
}

} // namespace kelvarn::commentCsv
