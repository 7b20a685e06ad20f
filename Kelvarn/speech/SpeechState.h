#pragma once

#include <string>

namespace kelvarn::speech {

// What the engine is doing; a failure carries the message shown to the user.
struct SpeechState {
    enum class Kind { failed, off, starting, downloadingModel, listening };

    Kind kind = Kind::off;
    std::string message;

    static SpeechState failed(std::string message) { return {Kind::failed, std::move(message)}; }
    static SpeechState off() { return {Kind::off, {}}; }
    static SpeechState starting() { return {Kind::starting, {}}; }
    static SpeechState downloadingModel() { return {Kind::downloadingModel, {}}; }
    static SpeechState listening() { return {Kind::listening, {}}; }

    bool isRunning() const {
        return kind == Kind::starting || kind == Kind::downloadingModel || kind == Kind::listening;
    }
    bool operator==(const SpeechState&) const = default;
};

} // namespace kelvarn::speech
