#pragma once

#include "model/Session.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvarn::csvExporter {

// The whole grade sheet: a header row, then one row per student in session order; 23 columns,
// rows ended by CR LF, every field passed through escape.
std::string csv(const Session& session);

// One field ready to stand between commas. A field that a spreadsheet could run as a formula gets
// a leading apostrophe; a field holding a comma, a double quote or a line break is quoted.
std::string escape(std::string_view field);

// One row of escaped fields, ended by CR LF.
std::string row(const std::vector<std::string>& fields);

} // namespace kelvarn::csvExporter
