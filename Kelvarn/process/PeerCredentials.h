#pragma once

#include <optional>
#include <sys/types.h>

namespace kelvarn::process {

// The user the process at the other end of a connected local socket runs as, as the kernel
// says (not as the peer claims); nothing when it cannot be told.
std::optional<uid_t> peerUserId(int socketDescriptor);

} // namespace kelvarn::process
