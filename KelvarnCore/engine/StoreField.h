#pragma once

namespace kelvarn {

// The store's observable fields; observers are told which one changed.
enum class StoreField {
    session,
    feed,
    undoStack,
    undoSerial,
    changeCounter,
    pending,
    voicePaused,
    parser,
    corrections,
    comments,
    lastUtterance,
};

} // namespace kelvarn
