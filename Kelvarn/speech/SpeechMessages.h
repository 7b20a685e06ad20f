#pragma once

namespace kelvarn::speech::messages {

inline constexpr const char* microphoneDenied =
    "Microphone access denied. Check that a microphone is connected and allowed in your sound "
    "settings.";
inline constexpr const char* transcriptionUnavailable =
    "On-device transcription isn't available on this computer.";
inline constexpr const char* noCompatibleFormat = "No compatible audio format for transcription.";
inline constexpr const char* noSoundServer =
    "No sound server is running, so there is no microphone. Start PipeWire or PulseAudio (for "
    "example: systemctl --user start pipewire-pulse), then start listening again.";
inline constexpr const char* noInputSource =
    "The sound server has no microphone. Connect one or choose one in your sound settings, then "
    "start listening again.";
inline constexpr const char* microphoneLost =
    "The microphone went away: the sound server stopped or the device was unplugged. Kelvarn "
    "listens again as soon as a microphone is back.";

} // namespace kelvarn::speech::messages
