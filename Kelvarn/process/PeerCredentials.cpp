#include "process/PeerCredentials.h"

#include <sys/socket.h>

namespace kelvarn::process {

std::optional<uid_t> peerUserId(int socketDescriptor) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (socketDescriptor < 0 ||
        ::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

} // namespace kelvarn::process
