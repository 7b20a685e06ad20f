#include "Train.h"

#include "Kelvarnctl.h"
#include "speech/VoiceProfile.h"
#include "speech/VoiceTraining.h"
#include "support/ControlCharacters.h"

#include <cmath>

namespace kelvarn::ctl {

int train(const std::filesystem::path& dataFolder, const TrainOptions& options, std::ostream& out,
          std::ostream& err) {
    if (options.forget) {
        if (const auto forgotten = speech::voiceProfile::forget(dataFolder); !forgotten) {
            err << forgotten.error() << '\n';
            return exitFailure;
        }
        return 0;
    }
    std::vector<speech::TrainingPrompt> prompts;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        prompts.push_back({options.files[i], options.texts[i]});
    }
    const auto outcome =
        speech::voiceTraining::train(prompts, speech::SphinxSettings{}, dataFolder,
                                     [&out](const speech::TrainingProgress& progress) {
                                         out << "progress\t" << std::lround(progress.fraction * 100)
                                             << '\t' << progress.step << '\n'
                                             << std::flush;
                                     });
    for (const std::size_t rejected : outcome.rejected) {
        out << "rejected\t" << oneLine(prompts[rejected].wav.string()) << '\t'
            << oneLine(prompts[rejected].text) << '\n';
    }
    if (!outcome.trained()) {
        err << outcome.failure << '\n';
        return exitFailure;
    }
    return 0;
}

} // namespace kelvarn::ctl
