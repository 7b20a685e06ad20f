#include "persistence/CsvRows.h"

namespace kelvarn {

std::vector<std::vector<std::string>> csvRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    // Whether the row holds anything, so that a blank line makes none.
    bool started = false;
    const auto endRow = [&] {
        if (started) {
            row.push_back(std::move(field));
            rows.push_back(std::move(row));
        }
        row.clear();
        field.clear();
        started = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            started = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            started = true;
        } else if (c == '\n') {
            endRow();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            // The LF ends the row.
        } else {
            field += c;
            started = true;
        }
    }
    endRow();
    return rows;
}

} // namespace kelvarn
