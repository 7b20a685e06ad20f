#pragma once

#include "model/Session.h"
#include "support/Result.h"

#include <string>
#include <string_view>

namespace kelvarn {

// session.json's "session" member and the undo entries' snapshots.
std::string encodeSession(const Session& session);
Result<Session> decodeSession(std::string_view text);

} // namespace kelvarn
