#pragma once

#include "engine/GradingStore.h"
#include "model/Session.h"

#include <cstddef>
#include <filesystem>

namespace kelvarn::bench {

// The class a long grading day ends with: 40 students, every section graded, about 300
// characters of notes per section and 600 of overall comments.
Session largeClass();
// students graded in every section, with notes of the given lengths.
Session gradedClass(std::size_t students, std::size_t sectionNotes, std::size_t overallNotes);

// Appends to one section's notes at a time, five seconds apart on the store's clock (which reads
// `now`), so each change is an undo entry of its own.
void makeOneNoteChanges(GradingStore& store, std::size_t count, TimePoint& now);

// A data folder holding the large class with a full saved history of one-note changes, made
// once per process in a temporary folder.
std::filesystem::path preparedFolder();
// The same for another class, in a new folder each call.
std::filesystem::path preparedFolderFor(Session session);

} // namespace kelvarn::bench
