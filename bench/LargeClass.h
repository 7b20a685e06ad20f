#pragma once

#include "engine/GradingStore.h"
#include "model/Session.h"

#include <cstddef>

namespace kelvarn::bench {

// The class a long grading day ends with: 40 students, every section graded, about 300
// characters of notes per section and 600 of overall comments.
Session largeClass();

// Appends to one section's notes at a time, five seconds apart on the store's clock (which reads
// `now`), so each change is an undo entry of its own.
void makeOneNoteChanges(GradingStore& store, std::size_t count, TimePoint& now);

} // namespace kelvarn::bench
