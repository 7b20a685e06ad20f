#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kelvarn::testing {

struct GroupMember {
    pid_t id = 0;
    std::string command; // the program's name, as ps shows it
};

// The processes of a group that still run. Unlike kill(-group, 0) this leaves out the dead that
// nobody has waited for yet: a container's first process may never reap an orphan.
std::vector<GroupMember> livingMembers(pid_t group);

// Whether the process is gone entirely (ended and waited for).
bool isGone(pid_t process);

} // namespace kelvarn::testing
