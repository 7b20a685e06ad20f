#include "speech/Pronunciation.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

namespace kelvarn::speech::pronunciation {

namespace {

// Longest first where one symbol starts another.
using Phone = std::pair<std::string_view, std::string_view>;
constexpr auto phones = std::to_array<Phone>({
    {"aɪ", "AY"},   {"aʊ", "AW"},   {"eɪ", "EY"},   {"oʊ", "OW"}, {"əʊ", "OW"}, {"ɔɪ", "OY"},
    {"ɪə", "IY R"}, {"eə", "EH R"}, {"ʊə", "UH R"}, {"tʃ", "CH"}, {"dʒ", "JH"}, {"oː", "AO"},
    {"ɑ", "AA"},    {"ɒ", "AA"},    {"æ", "AE"},    {"a", "AE"},  {"ʌ", "AH"},  {"ə", "AH"},
    {"ɐ", "AH"},    {"ɚ", "ER"},    {"ɜ", "ER"},    {"ɝ", "ER"},  {"ɛ", "EH"},  {"e", "EH"},
    {"ɪ", "IH"},    {"ᵻ", "IH"},    {"i", "IY"},    {"ɔ", "AO"},  {"o", "OW"},  {"ʊ", "UH"},
    {"u", "UW"},    {"b", "B"},     {"d", "D"},     {"ð", "DH"},  {"f", "F"},   {"ɡ", "G"},
    {"g", "G"},     {"h", "HH"},    {"j", "Y"},     {"k", "K"},   {"l", "L"},   {"m", "M"},
    {"n", "N"},     {"ŋ", "NG"},    {"p", "P"},     {"ɹ", "R"},   {"r", "R"},   {"ɾ", "T"},
    {"s", "S"},     {"ʃ", "SH"},    {"t", "T"},     {"θ", "TH"},  {"v", "V"},   {"w", "W"},
    {"z", "Z"},     {"ʒ", "ZH"},    {"x", "HH"},
});
// Marks that change no phone: stress, length, syllable breaks, the glottal stop, ties and
// diacritics (syllabic, non-syllabic, nasal).
constexpr auto ignored =
    std::to_array<std::string_view>({"ˈ", "ˌ", "ː", ".", "ʔ", "͡", "̩", "̯", "̃", " ", "_"});

std::once_flag initialised;
std::mutex library;
bool available = false;

std::optional<std::string> ipaOf(const std::string& word, const char* voice) {
    if (espeak_SetVoiceByName(voice) != EE_OK) {
        return std::nullopt;
    }
    std::string ipa;
    const void* text = word.c_str();
    while (text != nullptr) {
        const char* clause = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, espeakPHONEMES_IPA);
        if (clause == nullptr) {
            break;
        }
        ipa += clause;
    }
    return ipa;
}

} // namespace

std::optional<std::string> sphinxPhones(std::string_view ipa) {
    std::string result;
    while (!ipa.empty()) {
        const auto starts = [&](std::string_view symbol) { return ipa.starts_with(symbol); };
        if (const auto skip = std::ranges::find_if(ignored, starts); skip != ignored.end()) {
            ipa.remove_prefix(skip->size());
            continue;
        }
        const auto match =
            std::ranges::find_if(phones, [&](const auto& p) { return starts(p.first); });
        if (match == phones.end()) {
            return std::nullopt;
        }
        if (!result.empty()) {
            result += ' ';
        }
        result += match->second;
        ipa.remove_prefix(match->first.size());
    }
    if (result.empty()) {
        return std::nullopt;
    }
    return result;
}

std::vector<std::string> spoken(const std::string& word) {
    const std::lock_guard lock(library);
    std::call_once(initialised, [] {
        available =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) > 0;
    });
    std::vector<std::string> result;
    if (!available) {
        return result;
    }
    // The library knows British English as "en"; "en-gb" is not found.
    for (const char* voice : {"en-us", "en"}) {
        const auto ipa = ipaOf(word, voice);
        const auto phonesOfWord = ipa ? sphinxPhones(*ipa) : std::nullopt;
        if (phonesOfWord && std::ranges::find(result, *phonesOfWord) == result.end()) {
            result.push_back(*phonesOfWord);
        }
    }
    return result;
}

} // namespace kelvarn::speech::pronunciation
