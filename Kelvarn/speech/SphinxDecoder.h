#pragma once

#include "speech/RoomRumble.h"
#include "support/Result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct ps_decoder_s;
struct ngram_model_s;

namespace kelvarn::speech {

struct SphinxSettings {
    // Holds en-us/ (the acoustic model), cmudict-en-us.dict and en-us.lm.bin.
    std::filesystem::path modelFolder = "/usr/share/pocketsphinx/model/en-us";
    // Frames of silence (10 ms each) that end an utterance.
    int postSpeechFrames = 30;
    // Frames of silence that end an utterance of commands, which need not wait as long as
    // dictation does; 0 for the same wait. Off until it no longer splits chains of commands
    // at the pauses between them: at 12, 6 of 36 synthetic chains came apart.
    int commandEndFrames = 0;
    // Frames of speech (60 s) after which an utterance is no command or note but talk, such as
    // a conversation the microphone was left open on: it is dropped up to its end.
    int maxUtteranceFrames = 6000;
    // The speaker's adapted acoustic model (see VoiceProfile.h), used instead of the system's
    // when it loads.
    std::optional<std::filesystem::path> voiceProfile;
    // Frames of speech the voice detector needs to hear again after silence.
    static constexpr int restartFrames = 10;

    bool modelIsInstalled() const;
    std::filesystem::path acousticModel() const { return modelFolder / "en-us"; }
    std::filesystem::path dictionary() const { return modelFolder / "cmudict-en-us.dict"; }
};

// One PocketSphinx decoder. Not thread-safe: one thread owns it for its whole life.
class SphinxDecoder final {
public:
    static Result<std::unique_ptr<SphinxDecoder>> create(const SphinxSettings& settings);
    ~SphinxDecoder();
    SphinxDecoder(const SphinxDecoder&) = delete;
    SphinxDecoder& operator=(const SphinxDecoder&) = delete;

    bool startUtterance();
    bool process(std::span<const std::int16_t> samples);
    bool inSpeech() const;
    bool endUtterance();
    // The best reading so far (lower case words), or "" when there is none.
    std::string hypothesis() const;
    // After an utterance: its distinct readings scoring within `margin` of the best, best
    // first, at most `count` of them.
    std::vector<std::string> alternatives(std::size_t count, int margin) const;

    // Why the voice profile asked for was not used and the system model was instead; empty
    // when it was used or none was asked for.
    const std::string& profileFailure() const { return m_profileFailure; }

    // Leans the recogniser towards these phrases: a small model of them, interpolated with the
    // general one. Only between utterances. No phrases means the general model alone.
    Result<void> useVocabulary(const std::vector<std::string>& hints);

private:
    struct Entry {
        std::string word;
        std::string phones;
    };

    SphinxDecoder(ps_decoder_s* decoder, ngram_model_s* general, std::string profileFailure);
    ngram_model_s* mixedModel(const std::vector<std::vector<std::string>>& sentences);
    std::vector<Entry> newEntries(const std::vector<std::vector<std::string>>& sentences);
    std::vector<std::string> knownPronunciations(const std::string& word) const;
    Result<void> search(ngram_model_s* model, const std::vector<Entry>& entries = {});

    ps_decoder_s* m_decoder;
    ngram_model_s* m_general;
    std::string m_profileFailure;
    bool m_searching = false;
    // espeak-ng's readings by word, so a rebuild asks only about new words.
    std::map<std::string, std::vector<std::string>> m_spoken;
    // What the recogniser hears: the audio with a rumble under it.
    RoomRumble m_rumble;
    std::vector<std::int16_t> m_heard;
};

} // namespace kelvarn::speech
