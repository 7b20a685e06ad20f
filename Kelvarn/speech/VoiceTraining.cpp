#include "speech/VoiceTraining.h"

#include "speech/FormatConverter.h"
#include "speech/MixtureWeights.h"
#include "speech/Pronunciation.h"
#include "speech/RoomRumble.h"
#include "speech/ToolRun.h"
#include "speech/VocabularyModel.h"
#include "speech/VoiceProfile.h"
#include "speech/WavFile.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace kelvarn::speech::voiceTraining {

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path featureTool = "/usr/bin/sphinx_fe";
const fs::path mdefTool = "/usr/bin/pocketsphinx_mdef_convert";
const fs::path statisticsTool = fs::path(trainerFolder) / "bw";
const fs::path adaptTool = fs::path(trainerFolder) / "map_adapt";
const fs::path sendumpTool = fs::path(trainerFolder) / "mk_s2sendump";

// Generous: each takes seconds; the limits are there for a tool that never ends.
constexpr auto toolLimit = 120s;
constexpr auto statisticsLimitPerPrompt = 10s;
// Recordings shorter than this hold no sentence.
constexpr double shortestPrompt = 0.3;
// The converter holds back a few milliseconds; this much silence after the end pushes them out.
constexpr double trailingSilence = 0.1;

// A temporary folder that goes with everything in it.
class WorkFolder final {
public:
    explicit WorkFolder(const fs::path& pattern) {
        std::string name = pattern.string();
        if (mkdtemp(name.data()) != nullptr) {
            m_path = name;
        }
    }
    ~WorkFolder() {
        if (!m_path.empty()) {
            std::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const fs::path& path() const { return m_path; }
    bool made() const { return !m_path.empty(); }
    // Keeps it: it has been moved away or put in place.
    void release() { m_path.clear(); }

private:
    fs::path m_path;
};

bool writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string utteranceID(std::size_t prompt) {
    return "p" + std::to_string(prompt);
}

// The recording as the recogniser hears it: 16 kHz mono 16-bit, with the room's rumble.
Result<std::vector<std::int16_t>> speechSamples(const fs::path& wav, RoomRumble& rumble) {
    auto read = wavFile::read(wav);
    if (!read) {
        return Error{read.error()};
    }
    AudioBuffer audio = std::move(read).value();
    const auto converter = FormatConverter::create(audio.format, speechFormat);
    const auto* floats = audio.floats();
    if (converter == nullptr || floats == nullptr) {
        return Error{"Can't convert " + wav.string() + " to 16 kHz mono."};
    }
    std::vector<float> padded = *floats;
    padded.resize(padded.size() +
                  static_cast<std::size_t>(trailingSilence * audio.format.sampleRate) *
                      audio.format.channels);
    const auto converted = converter->convert({audio.format, std::move(padded)});
    std::vector<std::int16_t> samples;
    if (converted && converted->ints() != nullptr) {
        samples = *converted->ints();
    }
    rumble.addTo(samples);
    return samples;
}

struct Corpus {
    std::vector<std::size_t> prompts;
    std::vector<vocabularyModel::Sentence> sentences;
};

// The system dictionary's first pronunciation of each word it has.
std::map<std::string, std::string> knownPronunciations(const fs::path& dictionary,
                                                       const std::set<std::string>& words) {
    std::map<std::string, std::string> known;
    std::ifstream in(dictionary);
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos) {
            continue;
        }
        const std::string word = line.substr(0, space);
        if (words.contains(word) && !known.contains(word)) {
            known.emplace(word, line.substr(space + 1));
        }
    }
    return known;
}

// Every word of the usable prompts with one pronunciation: the dictionary's, else espeak-ng's,
// as the decoder adds them. Prompts with a word nobody can pronounce are rejected.
std::string trainingDictionary(const fs::path& systemDictionary, Corpus& corpus,
                               std::vector<std::size_t>& rejected) {
    std::set<std::string> words;
    for (const auto& sentence : corpus.sentences) {
        words.insert(sentence.begin(), sentence.end());
    }
    std::map<std::string, std::string> pronunciations =
        knownPronunciations(systemDictionary, words);
    for (const std::string& word : words) {
        if (!pronunciations.contains(word)) {
            if (const auto spoken = pronunciation::spoken(word); !spoken.empty()) {
                pronunciations.emplace(word, spoken.front());
            }
        }
    }
    Corpus kept;
    for (std::size_t i = 0; i < corpus.prompts.size(); ++i) {
        if (std::ranges::all_of(corpus.sentences[i],
                                [&](const auto& w) { return pronunciations.contains(w); })) {
            kept.prompts.push_back(corpus.prompts[i]);
            kept.sentences.push_back(corpus.sentences[i]);
        } else {
            rejected.push_back(corpus.prompts[i]);
        }
    }
    corpus = std::move(kept);
    std::string dictionary;
    for (const auto& [word, phones] : pronunciations) {
        dictionary += word + ' ' + phones + '\n';
    }
    return dictionary;
}

// The utterances bw could not align with their transcript: after "Failed to align", it says
// "<id> ignored".
std::set<std::string> unaligned(const std::string& log) {
    std::set<std::string> ids;
    std::istringstream lines(log);
    std::string line;
    constexpr std::string_view ignored = " ignored";
    while (std::getline(lines, line)) {
        if (line.starts_with("ERROR:") && line.ends_with(ignored)) {
            const std::string_view head =
                std::string_view(line).substr(0, line.size() - ignored.size());
            ids.emplace(head.substr(head.rfind(' ') + 1));
        }
    }
    return ids;
}

std::string failureOf(const std::string& step, const ToolRun& run) {
    std::string why;
    switch (run.ending) {
    case ToolRun::Ending::timedOut:
        why = "it did not finish in time";
        break;
    case ToolRun::Ending::crashed:
        why = "it crashed";
        break;
    case ToolRun::Ending::failedToStart:
        why = "it could not be started";
        break;
    case ToolRun::Ending::exited:
        why = "it failed with status " + std::to_string(run.exitCode);
        break;
    }
    return "Voice training failed while " + step + ": " + why + ".";
}

// At least three prompts, and three in four of those given.
bool enoughAccepted(std::size_t accepted, std::size_t given) {
    return accepted >= 3 && accepted * 4 >= given * 3;
}

class Training final {
public:
    Training(const std::vector<TrainingPrompt>& prompts, const SphinxSettings& model,
             const fs::path& dataFolder,
             const std::function<void(const TrainingProgress&)>& progress)
        // The tools run in the work folder.
        : m_prompts(prompts), m_model(model), m_data(fs::absolute(dataFolder)),
          m_progress(progress), m_work(fs::temp_directory_path() / "kelvarn-training-XXXXXX") {}

    TrainingOutcome run() {
        if (!m_work.made()) {
            return failed("Voice training could not make a temporary folder.");
        }
        if (const auto tools = toolsAreInstalled(); !tools) {
            return failed(tools.error());
        }
        report("Reading the recordings", 0.0);
        Corpus corpus = recordings();
        if (!m_outcome.failure.empty()) {
            return m_outcome;
        }
        report("Looking up pronunciations", 0.1);
        const std::string dictionary =
            trainingDictionary(m_model.dictionary(), corpus, m_outcome.rejected);
        if (!enoughAccepted(corpus.prompts.size(), m_prompts.size())) {
            return tooFewAccepted(corpus.prompts.size());
        }
        if (!writeFile(m_work.path() / "train.dict", dictionary) || !writeCorpus(corpus)) {
            return failed("Voice training could not write its working files.");
        }
        report("Measuring the voice", 0.15);
        if (!tool("measuring the voice", featureTool, featureArguments(), toolLimit)) {
            return m_outcome;
        }
        report("Preparing the model", 0.3);
        if (!prepareBaseModel()) {
            return m_outcome;
        }
        report("Aligning the recordings with their text", 0.4);
        const std::chrono::milliseconds limit =
            toolLimit + statisticsLimitPerPrompt * static_cast<int>(corpus.prompts.size());
        const auto statistics =
            tool("aligning the recordings", statisticsTool, statisticsArguments(), limit);
        if (!statistics) {
            return m_outcome;
        }
        const std::size_t accepted = acceptAligned(corpus, *statistics);
        if (!enoughAccepted(accepted, m_prompts.size())) {
            return tooFewAccepted(accepted);
        }
        return adapt();
    }

private:
    TrainingOutcome failed(std::string message) {
        m_outcome.failure = std::move(message);
        return m_outcome;
    }

    TrainingOutcome tooFewAccepted(std::size_t accepted) {
        std::ranges::sort(m_outcome.rejected);
        return failed("Only " + std::to_string(accepted) + " of " +
                      std::to_string(m_prompts.size()) +
                      " recordings matched their text; read the others again.");
    }

    void report(const std::string& step, double fraction) {
        if (m_progress) {
            m_progress({step, fraction});
        }
    }

    fs::path work(const std::string& name) const { return m_work.path() / name; }

    Corpus recordings() {
        Corpus corpus;
        RoomRumble rumble;
        for (std::size_t i = 0; i < m_prompts.size(); ++i) {
            const auto samples = speechSamples(m_prompts[i].wav, rumble);
            if (!samples) {
                m_outcome.failure = samples.error();
                return {};
            }
            const auto& values = samples.value();
            const auto words = vocabularyModel::sentences({m_prompts[i].text});
            if (words.empty() || values.size() < shortestPrompt * speechFormat.sampleRate) {
                m_outcome.rejected.push_back(i);
                continue;
            }
            const std::string_view bytes(reinterpret_cast<const char*>(values.data()),
                                         values.size() * sizeof(std::int16_t));
            if (!writeFile(work(utteranceID(i) + ".raw"), bytes)) {
                m_outcome.failure = "Voice training could not write its working files.";
                return {};
            }
            corpus.prompts.push_back(i);
            corpus.sentences.push_back(words.front());
        }
        return corpus;
    }

    bool writeCorpus(const Corpus& corpus) const {
        std::string ids;
        std::string transcripts;
        for (std::size_t i = 0; i < corpus.prompts.size(); ++i) {
            const std::string id = utteranceID(corpus.prompts[i]);
            ids += id + '\n';
            transcripts += "<s>";
            for (const std::string& word : corpus.sentences[i]) {
                transcripts += ' ' + word;
            }
            transcripts += " </s> (" + id + ")\n";
        }
        return writeFile(work("train.fileids"), ids) &&
               writeFile(work("train.transcription"), transcripts);
    }

    std::vector<std::string> featureArguments() const {
        const std::string folder = m_work.path().string();
        return {"-argfile",  (m_model.acousticModel() / "feat.params").string(),
                "-samprate", "16000",
                "-c",        work("train.fileids").string(),
                "-di",       folder,
                "-do",       folder,
                "-ei",       "raw",
                "-eo",       "mfc",
                "-raw",      "yes"};
    }

    // The system model as the trainer reads it: text phone definitions and the mixture
    // weights decoded from the sendump beside the other parameter files.
    bool prepareBaseModel() {
        const fs::path system = m_model.acousticModel();
        if (!tool("preparing the model", mdefTool,
                  {"-text", (system / "mdef").string(), work("mdef.txt").string()}, toolLimit)) {
            return false;
        }
        const auto weights = mixtureWeights::fromSendump(readFile(system / "sendump"));
        if (!weights) {
            m_outcome.failure = weights.error();
            return false;
        }
        std::error_code error;
        fs::create_directory(work("base"), error);
        for (const char* file : {"means", "variances", "transition_matrices"}) {
            fs::create_symlink(system / file, work("base") / file, error);
        }
        fs::create_directory(work("accumulated"), error);
        if (error || !writeFile(work("base") / "mixture_weights",
                                mixtureWeights::mixtureWeightsFile(weights.value()))) {
            m_outcome.failure = "Voice training could not write its working files.";
            return false;
        }
        return true;
    }

    std::vector<std::string> statisticsArguments() const {
        return {"-hmmdir",   work("base").string(),
                "-moddeffn", work("mdef.txt").string(),
                "-ts2cbfn",  ".ptm.",
                "-feat",     "1s_c_d_dd",
                "-svspec",   "0-12/13-25/26-38",
                "-cmn",      "batch",
                "-agc",      "none",
                "-dictfn",   work("train.dict").string(),
                "-fdictfn",  (m_model.acousticModel() / "noisedict").string(),
                "-ctlfn",    work("train.fileids").string(),
                "-lsnfn",    work("train.transcription").string(),
                "-cepdir",   m_work.path().string(),
                "-cepext",   "mfc",
                "-accumdir", work("accumulated").string()};
    }

    // Rejects the prompts bw could not align; the number it kept.
    std::size_t acceptAligned(const Corpus& corpus, const ToolRun& statistics) {
        const std::set<std::string> failures = unaligned(statistics.output);
        std::size_t accepted = 0;
        for (const std::size_t prompt : corpus.prompts) {
            if (failures.contains(utteranceID(prompt))) {
                m_outcome.rejected.push_back(prompt);
            } else {
                ++accepted;
            }
        }
        std::ranges::sort(m_outcome.rejected);
        return accepted;
    }

    TrainingOutcome adapt() {
        WorkFolder profile(m_data / "voice.new-XXXXXX");
        if (!profile.made()) {
            return failed("Voice training could not write to " + m_data.string() + ".");
        }
        const fs::path base = work("base");
        report("Adapting the model to the voice", 0.75);
        if (!tool("adapting the model", adaptTool,
                  {"-moddeffn",  work("mdef.txt").string(),
                   "-ts2cbfn",   ".ptm.",
                   "-meanfn",    (base / "means").string(),
                   "-varfn",     (base / "variances").string(),
                   "-mixwfn",    (base / "mixture_weights").string(),
                   "-tmatfn",    (base / "transition_matrices").string(),
                   "-accumdir",  work("accumulated").string(),
                   "-mapmeanfn", (profile.path() / "means").string(),
                   "-mapvarfn",  (profile.path() / "variances").string(),
                   "-mapmixwfn", work("mixture_weights").string(),
                   "-maptmatfn", (profile.path() / "transition_matrices").string()},
                  toolLimit)) {
            return m_outcome;
        }
        report("Packing the mixture weights", 0.85);
        if (!tool("packing the mixture weights", sendumpTool,
                  {"-pocketsphinx", "yes", "-moddeffn", work("mdef.txt").string(), "-mixwfn",
                   work("mixture_weights").string(), "-sendumpfn",
                   (profile.path() / "sendump").string()},
                  toolLimit)) {
            return m_outcome;
        }
        std::error_code error;
        for (const char* file : {"feat.params", "noisedict"}) {
            fs::copy_file(m_model.acousticModel() / file, profile.path() / file, error);
        }
        if (const auto complete = voiceProfile::check(profile.path(), m_model.acousticModel());
            !complete) {
            return failed(complete.error());
        }
        if (const auto installed = voiceProfile::install(profile.path(), m_data); !installed) {
            return failed(installed.error());
        }
        profile.release();
        report("Done", 1.0);
        return m_outcome;
    }

    // The run, or nothing after recording why it failed.
    std::optional<ToolRun> tool(const std::string& step, const fs::path& program,
                                const std::vector<std::string>& arguments,
                                std::chrono::milliseconds limit) {
        ToolRun run = runTool(program, arguments, m_work.path(),
                              work(program.filename().string() + ".log"), limit);
        if (!run.succeeded()) {
            m_outcome.failure = failureOf(step, run);
            return std::nullopt;
        }
        return run;
    }

    const std::vector<TrainingPrompt>& m_prompts;
    const SphinxSettings& m_model;
    const fs::path m_data;
    const std::function<void(const TrainingProgress&)>& m_progress;
    WorkFolder m_work;
    TrainingOutcome m_outcome;
};

} // namespace

Result<void> toolsAreInstalled() {
    for (const fs::path& tool : {featureTool, mdefTool, statisticsTool, adaptTool, sendumpTool}) {
        std::error_code error;
        if (!fs::is_regular_file(tool, error)) {
            return Error{"Voice training needs " + tool.string() +
                         " (Debian packages sphinxtrain, sphinxbase-utils and pocketsphinx)."};
        }
    }
    return {};
}

TrainingOutcome train(const std::vector<TrainingPrompt>& prompts, const SphinxSettings& model,
                      const std::filesystem::path& dataFolder,
                      const std::function<void(const TrainingProgress&)>& progress) {
    return Training(prompts, model, dataFolder, progress).run();
}

} // namespace kelvarn::speech::voiceTraining
