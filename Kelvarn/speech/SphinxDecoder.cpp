#include "SphinxDecoder.h"

#include "VocabularyModel.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <unistd.h>

#include <array>
#include <mutex>

namespace kelvarn::speech {

namespace {

std::filesystem::path acousticModel(const SphinxSettings& s) {
    return s.modelFolder / "en-us";
}
std::filesystem::path dictionary(const SphinxSettings& s) {
    return s.modelFolder / "cmudict-en-us.dict";
}
std::filesystem::path generalModel(const SphinxSettings& s) {
    return s.modelFolder / "en-us.lm.bin";
}

// The library logs every setting and every utterance to standard error.
void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { err_set_logfp(nullptr); });
}

} // namespace

bool SphinxSettings::modelIsInstalled() const {
    std::error_code error;
    return std::filesystem::is_directory(acousticModel(*this), error) &&
           std::filesystem::is_regular_file(dictionary(*this), error) &&
           std::filesystem::is_regular_file(generalModel(*this), error);
}

Result<std::unique_ptr<SphinxDecoder>> SphinxDecoder::create(const SphinxSettings& settings) {
    silenceLibraryLog();
    const std::string hmm = acousticModel(settings).string();
    const std::string dict = dictionary(settings).string();
    const std::string lm = generalModel(settings).string();
    // The general model is loaded separately so vocabulary models can be mixed with it.
    const std::string postSpeech = std::to_string(settings.postSpeechFrames);
    // Without the flat pass the end of an utterance costs a fifth of the time, with no loss.
    cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.c_str(), "-dict",
                                   dict.c_str(), "-fwdflat", "no", "-vad_postspeech",
                                   postSpeech.c_str(), "-logfn", "/dev/null", nullptr);
    if (config == nullptr) {
        return Error{"The speech recogniser's settings were refused."};
    }
    ps_decoder_t* decoder = ps_init(config);
    cmd_ln_free_r(config);
    if (decoder == nullptr) {
        return Error{"The speech model in " + settings.modelFolder.string() +
                     " could not be loaded."};
    }
    ngram_model_t* general =
        ngram_model_read(ps_get_config(decoder), lm.c_str(), NGRAM_AUTO, ps_get_logmath(decoder));
    if (general == nullptr) {
        ps_free(decoder);
        return Error{"The general language model " + lm + " could not be loaded."};
    }
    auto result = std::unique_ptr<SphinxDecoder>(new SphinxDecoder(decoder, general));
    if (auto searching = result->search(ngram_model_retain(general)); !searching) {
        return Error{searching.error()};
    }
    return result;
}

SphinxDecoder::SphinxDecoder(ps_decoder_s* decoder, ngram_model_s* general)
    : m_decoder(decoder), m_general(general) {}

SphinxDecoder::~SphinxDecoder() {
    ps_free(m_decoder);
    ngram_model_free(m_general);
}

// Takes over the reference to the model. The old search goes first: changing the decoder
// under an active search can crash it.
Result<void> SphinxDecoder::search(ngram_model_s* model) {
    static constexpr const char* name = "kelvarn";
    if (const char* current = ps_get_search(m_decoder); current != nullptr) {
        ps_unset_search(m_decoder, current);
    }
    const int set = ps_set_lm(m_decoder, name, model);
    ngram_model_free(model);
    if (set >= 0 && ps_set_search(m_decoder, name) >= 0) {
        return {};
    }
    if (model != m_general && ps_set_lm(m_decoder, name, m_general) >= 0) {
        ps_set_search(m_decoder, name);
    }
    return Error{"The speech recogniser refused its language model."};
}

Result<void> SphinxDecoder::useVocabulary(const std::vector<std::string>& hints) {
    const auto sentences = vocabularyModel::sentences(hints);
    if (sentences.empty()) {
        return search(ngram_model_retain(m_general));
    }
    // The library reads models from files only.
    std::error_code noTemp;
    std::string pattern =
        (std::filesystem::temp_directory_path(noTemp) / "kelvarn-vocabulary-XXXXXX").string();
    char* path = pattern.data();
    const int fd = mkstemp(path);
    if (fd < 0) {
        return Error{"No room for the vocabulary model."};
    }
    const std::string arpa = vocabularyModel::trigramArpa(sentences);
    const bool written = write(fd, arpa.data(), arpa.size()) == static_cast<ssize_t>(arpa.size());
    close(fd);
    ngram_model_t* vocabulary = written ? ngram_model_read(ps_get_config(m_decoder), path,
                                                           NGRAM_ARPA, ps_get_logmath(m_decoder))
                                        : nullptr;
    unlink(path);
    if (vocabulary == nullptr) {
        return Error{"The vocabulary model could not be built."};
    }
    std::array<ngram_model_t*, 2> models{ngram_model_retain(m_general), vocabulary};
    std::array<char*, 2> names{const_cast<char*>("general"), const_cast<char*>("vocabulary")};
    const std::array<float32, 2> weights{0.5f, 0.5f};
    ngram_model_t* mixed = ngram_model_set_init(ps_get_config(m_decoder), models.data(),
                                                names.data(), weights.data(), 2);
    if (mixed == nullptr) {
        ngram_model_free(models[0]);
        ngram_model_free(models[1]);
        return Error{"The vocabulary model could not be mixed in."};
    }
    return search(mixed);
}

bool SphinxDecoder::startUtterance() {
    return ps_start_utt(m_decoder) >= 0;
}

bool SphinxDecoder::process(std::span<const std::int16_t> samples) {
    return ps_process_raw(m_decoder, samples.data(), samples.size(), FALSE, FALSE) >= 0;
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

} // namespace kelvarn::speech
