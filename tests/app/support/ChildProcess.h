#pragma once

#include <initializer_list>
#include <string>
#include <sys/types.h>

namespace kelvarn::testing {

// Starts program (looked up in PATH) with its standard streams on /dev/null; other descriptors
// (a pipe it reports through) stay open. Returns the child's id.
pid_t spawn(const char* program, std::initializer_list<const char*> arguments);

// Reads up to a line break or the end: what a child reports through a pipe once it is ready.
std::string readLine(int fd);

// Ends a child started with spawn and waits for it; child becomes -1.
void stop(pid_t& child);

} // namespace kelvarn::testing
