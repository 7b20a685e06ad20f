#pragma once

#include "model/NotesTarget.h"
#include "model/StudentRecord.h"
#include "support/Result.h"

#include <map>
#include <string>
#include <string_view>

namespace kelvarn::tidy {

// What goes to the tool: exchange key ("intro" … "style", "overall") to redacted notes. Keys
// are kept in ascending order, as they are written.
using TidyInput = std::map<std::string, std::string>;
// What comes back: tidied text for notes of the one student.
using TidiedNotes = std::map<NotesTarget, std::string>;

inline constexpr std::string_view overallKey = "overall";

// Every non-empty section's notes (rubric order) and the overall notes, redacted.
TidyInput tidyInput(const StudentRecord& student);

// The input as compact JSON, keys in ascending order.
Result<std::string> promptText(const TidyInput& input);

// The JSON object between the reply's first "{" and last "}", keys not sent dropped, the name
// restored; a reply that holds no such object of strings is an error with its beginning.
Result<TidiedNotes> readReply(std::string_view reply, const StudentRecord& student,
                              const TidyInput& sent);

} // namespace kelvarn::tidy
