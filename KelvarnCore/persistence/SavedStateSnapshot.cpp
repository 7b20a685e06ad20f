#include "persistence/SavedStateSnapshot.h"

#include "persistence/SessionJson.h"

namespace kelvarn {

std::vector<std::string_view> savedStatePieces(const SavedStateSnapshot& snapshot,
                                               std::deque<std::string>& scratch) {
    // A deque keeps earlier elements in place as it grows, so the views stay valid.
    scratch.push_back("{\"session\":" + encodeSession(snapshot.session) + ",\"undo\":[");
    std::vector<std::string_view> pieces{scratch.back()};
    pieces.reserve(2 + 4 * snapshot.undo.size());
    for (std::size_t i = 0; i < snapshot.undo.size(); ++i) {
        if (i > 0) {
            pieces.emplace_back(",");
        }
        const EncodedUndoEntry& parts = snapshot.undo[i].entry->encoding();
        scratch.push_back(encodeDate(snapshot.undo[i].date));
        pieces.emplace_back(parts.beforeDate);
        pieces.emplace_back(scratch.back());
        pieces.emplace_back(parts.afterDate);
    }
    pieces.emplace_back("]}");
    return pieces;
}

} // namespace kelvarn
