#pragma once

#include "model/Session.h"

namespace kelvarn::bench {

// The class a long grading day ends with: 40 students, every section graded, about 300
// characters of notes per section and 600 of overall comments.
Session largeClass();

} // namespace kelvarn::bench
