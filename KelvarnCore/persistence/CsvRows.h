#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn {

// The rows of comma-separated text as spreadsheets and learning platforms write it: fields in
// double quotes may hold commas, line breaks and doubled quotes; rows end with LF or CR LF.
// Blank lines are no rows. Text after a closing quote up to the next comma is kept, as
// spreadsheets do.
std::vector<std::vector<std::string>> csvRows(std::string_view text);

} // namespace kelvarn
