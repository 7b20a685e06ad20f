#include "speech/SphinxDecoder.h"

#include "speech/Pronunciation.h"
#include "speech/VocabularyModel.h"
#include "speech/VoiceProfile.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/err.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <functional>
#include <mutex>
#include <set>

namespace kelvarn::speech {

namespace {

std::filesystem::path generalModel(const SphinxSettings& s) {
    return s.modelFolder / "en-us.lm.bin";
}

// The library logs every setting and every utterance to standard error.
void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

// A decoder over the acoustic model in `hmm`, with the system's phone definitions.
ps_decoder_t* initDecoder(const SphinxSettings& settings, const std::filesystem::path& hmm) {
    const std::string model = hmm.string();
    const std::string mdef = (settings.acousticModel() / "mdef").string();
    const std::string dict = settings.dictionary().string();
    // The detector ends every utterance at the shorter silence; the transcriber waits on for
    // what is not commands.
    const std::string restart = std::to_string(SphinxSettings::restartFrames);
    const std::string postSpeech =
        std::to_string(settings.commandEndFrames > 0
                           ? std::min(settings.commandEndFrames, settings.postSpeechFrames)
                           : settings.postSpeechFrames);
    // Without the flat pass the end of an utterance costs a fifth of the time, with no loss.
    cmd_ln_t* config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", model.c_str(), "-mdef", mdef.c_str(), "-dict",
                    dict.c_str(), "-fwdflat", "no", "-vad_postspeech", postSpeech.c_str(),
                    "-vad_startspeech", restart.c_str(), "-logfn", "/dev/null", nullptr);
    if (config == nullptr) {
        return nullptr;
    }
    ps_decoder_t* decoder = ps_init(config);
    cmd_ln_free_r(config);
    return decoder;
}

} // namespace

bool SphinxSettings::modelIsInstalled() const {
    std::error_code error;
    return std::filesystem::is_directory(acousticModel(), error) &&
           std::filesystem::is_regular_file(dictionary(), error) &&
           std::filesystem::is_regular_file(generalModel(*this), error);
}

Result<std::unique_ptr<SphinxDecoder>> SphinxDecoder::create(const SphinxSettings& settings) {
    silenceLibraryLog();
    // A profile that does not load costs the speaker accuracy, not listening.
    std::string profileFailure;
    ps_decoder_t* decoder = nullptr;
    if (settings.voiceProfile) {
        const auto usable = voiceProfile::check(*settings.voiceProfile, settings.acousticModel());
        decoder = usable ? initDecoder(settings, *settings.voiceProfile) : nullptr;
        if (decoder == nullptr) {
            profileFailure = (usable ? "The voice profile in " + settings.voiceProfile->string() +
                                           " could not be loaded."
                                     : usable.error()) +
                             " Listening with the general model; train again to mend it.";
        }
    }
    if (decoder == nullptr) {
        decoder = initDecoder(settings, settings.acousticModel());
    }
    if (decoder == nullptr) {
        return Error{"The speech model in " + settings.modelFolder.string() +
                     " could not be loaded."};
    }
    // The general model is loaded separately so vocabulary models can be mixed with it.
    const std::string lm = generalModel(settings).string();
    ngram_model_t* general =
        ngram_model_read(ps_get_config(decoder), lm.c_str(), NGRAM_AUTO, ps_get_logmath(decoder));
    if (general == nullptr) {
        ps_free(decoder);
        return Error{"The general language model " + lm + " could not be loaded."};
    }
    auto result = std::unique_ptr<SphinxDecoder>(
        new SphinxDecoder(decoder, general, std::move(profileFailure)));
    if (auto searching = result->search(ngram_model_retain(general)); !searching) {
        return Error{searching.error()};
    }
    return result;
}

SphinxDecoder::SphinxDecoder(ps_decoder_s* decoder, ngram_model_s* general,
                             std::string profileFailure)
    : m_decoder(decoder), m_general(general), m_profileFailure(std::move(profileFailure)) {}

SphinxDecoder::~SphinxDecoder() {
    ps_free(m_decoder);
    ngram_model_free(m_general);
}

// Takes over the reference to the model. The old search goes first: adding words under an
// active search can crash the decoder. Only the last word rebuilds the search structures.
Result<void> SphinxDecoder::search(ngram_model_s* model, const std::vector<Entry>& entries) {
    static constexpr const char* name = "kelvarn";
    // Asking the library for the current search leaks when there is none.
    if (m_searching) {
        ps_unset_search(m_decoder, name);
        m_searching = false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ps_add_word(m_decoder, entries[i].word.c_str(), entries[i].phones.c_str(),
                    i + 1 == entries.size() ? TRUE : FALSE);
    }
    const int set = ps_set_lm(m_decoder, name, model);
    ngram_model_free(model);
    if (set >= 0 && ps_set_search(m_decoder, name) >= 0) {
        m_searching = true;
        return {};
    }
    if (model != m_general && ps_set_lm(m_decoder, name, m_general) >= 0) {
        m_searching = ps_set_search(m_decoder, name) >= 0;
    }
    return Error{"The speech recogniser refused its language model."};
}

Result<void> SphinxDecoder::useVocabulary(const std::vector<std::string>& hints) {
    const auto sentences = vocabularyModel::sentences(hints);
    if (sentences.empty()) {
        return search(ngram_model_retain(m_general));
    }
    ngram_model_t* mixed = mixedModel(sentences);
    if (mixed == nullptr) {
        return Error{"The vocabulary model could not be built."};
    }
    return search(mixed, newEntries(sentences));
}

ngram_model_s* SphinxDecoder::mixedModel(const std::vector<std::vector<std::string>>& sentences) {
    // The library reads models from files only.
    std::error_code noTemp;
    std::string pattern =
        (std::filesystem::temp_directory_path(noTemp) / "kelvarn-vocabulary-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        return nullptr;
    }
    const std::string arpa = vocabularyModel::trigramArpa(sentences);
    const bool written = write(fd, arpa.data(), arpa.size()) == static_cast<ssize_t>(arpa.size());
    close(fd);
    ngram_model_t* vocabulary = written
                                    ? ngram_model_read(ps_get_config(m_decoder), pattern.c_str(),
                                                       NGRAM_ARPA, ps_get_logmath(m_decoder))
                                    : nullptr;
    unlink(pattern.c_str());
    if (vocabulary == nullptr) {
        return nullptr;
    }
    // The set takes references of its own.
    std::array<ngram_model_t*, 2> models{m_general, vocabulary};
    std::array<char*, 2> names{const_cast<char*>("general"), const_cast<char*>("vocabulary")};
    const std::array<float32, 2> weights{0.5f, 0.5f};
    ngram_model_t* mixed = ngram_model_set_init(ps_get_config(m_decoder), models.data(),
                                                names.data(), weights.data(), 2);
    ngram_model_free(vocabulary);
    return mixed;
}

// Every pronunciation the dictionary has for the word: word, word(2), word(3)...
std::vector<std::string> SphinxDecoder::knownPronunciations(const std::string& word) const {
    std::vector<std::string> known;
    for (int variant = 1;; ++variant) {
        const std::string key = variant == 1 ? word : word + "(" + std::to_string(variant) + ")";
        char* phones = ps_lookup_word(m_decoder, key.c_str());
        if (phones == nullptr) {
            return known;
        }
        known.emplace_back(phones);
        ckd_free(phones);
    }
}

// Words the dictionary lacks get espeak-ng's reading; known words get its readings as
// alternatives where they differ, which helps with names read in an unexpected way.
std::vector<SphinxDecoder::Entry>
SphinxDecoder::newEntries(const std::vector<std::vector<std::string>>& sentences) {
    std::set<std::string> words;
    for (const auto& sentence : sentences) {
        words.insert(sentence.begin(), sentence.end());
    }
    std::vector<Entry> entries;
    for (const std::string& word : words) {
        auto spoken = m_spoken.find(word);
        if (spoken == m_spoken.end()) {
            spoken = m_spoken.emplace(word, pronunciation::spoken(word)).first;
        }
        std::vector<std::string> known = knownPronunciations(word);
        for (const std::string& phones : spoken->second) {
            if (std::ranges::find(known, phones) != known.end()) {
                continue;
            }
            known.push_back(phones);
            const std::string key =
                known.size() == 1 ? word : word + "(" + std::to_string(known.size()) + ")";
            entries.push_back({key, phones});
        }
    }
    return entries;
}

bool SphinxDecoder::startUtterance() {
    return ps_start_utt(m_decoder) >= 0;
}

bool SphinxDecoder::process(std::span<const std::int16_t> samples) {
    m_heard.assign(samples.begin(), samples.end());
    m_rumble.addTo(m_heard);
    return ps_process_raw(m_decoder, m_heard.data(), m_heard.size(), FALSE, FALSE) >= 0;
}

bool SphinxDecoder::inSpeech() const {
    return ps_get_in_speech(m_decoder) != 0;
}

bool SphinxDecoder::endUtterance() {
    return ps_end_utt(m_decoder) >= 0;
}

std::string SphinxDecoder::hypothesis() const {
    std::int32_t score = 0;
    const char* text = ps_get_hyp(m_decoder, &score);
    return text != nullptr ? text : "";
}

std::vector<std::string> SphinxDecoder::alternatives(std::size_t count, int margin) const {
    std::vector<std::pair<std::int32_t, std::string>> scored;
    ps_nbest_t* nbest = ps_nbest(m_decoder);
    for (; nbest != nullptr && scored.size() < count; nbest = ps_nbest_next(nbest)) {
        std::int32_t score = 0;
        // The text belongs to the iterator: copied before it moves on.
        const char* text = ps_nbest_hyp(nbest, &score);
        if (text != nullptr &&
            std::ranges::none_of(scored, [&](const auto& s) { return s.second == text; })) {
            scored.emplace_back(score, text);
        }
    }
    if (nbest != nullptr) {
        ps_nbest_free(nbest);
    }
    // The iterator does not go strictly by score.
    std::ranges::stable_sort(scored, std::greater{}, &std::pair<std::int32_t, std::string>::first);
    std::vector<std::string> result;
    for (const auto& [score, text] : scored) {
        if (score >= scored.front().first - margin) {
            result.push_back(text);
        }
    }
    return result;
}

} // namespace kelvarn::speech
