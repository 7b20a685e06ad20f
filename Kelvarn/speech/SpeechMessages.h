#pragma once

namespace kelvarn::speech::messages {

inline constexpr const char* microphoneDenied =
    "Microphone access denied. Check that a microphone is connected and allowed in your sound "
    "settings.";
inline constexpr const char* transcriptionUnavailable =
    "On-device transcription isn't available on this computer.";
inline constexpr const char* noCompatibleFormat = "No compatible audio format for transcription.";

} // namespace kelvarn::speech::messages
