#include "app/VoiceTrainingObject.h"

#include "speech/AudioFormat.h"
#include "speech/TakeCheck.h"
#include "speech/TrainingPrompts.h"
#include "speech/VoiceProfile.h"
#include "speech/WavFile.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <map>

namespace kelvarn::app {

VoiceTrainingObject::VoiceTrainingObject(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {
    connect(&m_recorder, &speech::AudioRecorder::levelChanged, this, [this](double level) {
        m_level = level;
        emit levelChanged();
    });
    connect(&m_recorder, &speech::AudioRecorder::finished, this,
            &VoiceTrainingObject::takeFinished);
    prepare();
}

VoiceTrainingObject::~VoiceTrainingObject() {
    // The trainer's tools have time limits of their own; its results are dropped.
    if (m_worker.joinable()) {
        m_worker.join();
    }
    if (m_recorder.isRecording() && m_services.mute) {
        m_services.mute(false);
    }
}

QString VoiceTrainingObject::prompt() const {
    return m_prompts.empty() ? QString() : QString::fromStdString(m_prompts[m_index]);
}

bool VoiceTrainingObject::recorded() const {
    return !m_takes.empty() && m_takes[m_index] != nullptr;
}

int VoiceTrainingObject::recordedCount() const {
    return static_cast<int>(std::count_if(m_takes.begin(), m_takes.end(),
                                          [](const speech::Recording& take) { return take; }));
}

bool VoiceTrainingObject::trained() const {
    return speech::voiceProfile::trained(m_services.dataFolder).has_value();
}

void VoiceTrainingObject::prepare() {
    if (m_recorder.isRecording() || m_training) {
        return;
    }
    std::map<std::string, speech::Recording> kept;
    for (std::size_t i = 0; i < m_prompts.size(); ++i) {
        kept[m_prompts[i]] = m_takes[i];
    }
    m_prompts =
        speech::trainingPrompts(m_services.names ? m_services.names() : std::vector<std::string>{});
    m_takes.assign(m_prompts.size(), nullptr);
    for (std::size_t i = 0; i < m_prompts.size(); ++i) {
        if (const auto take = kept.find(m_prompts[i]); take != kept.end()) {
            m_takes[i] = take->second;
        }
    }
    emit promptsChanged();
    emit takesChanged();
    // The first prompt still to read.
    const auto unread = std::find(m_takes.begin(), m_takes.end(), nullptr);
    m_index = -1;
    show(unread == m_takes.end() ? 0 : static_cast<int>(unread - m_takes.begin()));
}

void VoiceTrainingObject::show(int index) {
    if (m_prompts.empty() || index < 0 || index >= count() || index == m_index ||
        m_recorder.isRecording()) {
        return;
    }
    m_index = index;
    emit indexChanged();
    emit takesChanged();
}

void VoiceTrainingObject::setMessage(const QString& message) {
    if (message != m_message) {
        m_message = message;
        emit messageChanged();
    }
}

void VoiceTrainingObject::record() {
    if (m_prompts.empty() || m_recorder.isRecording() || m_training) {
        return;
    }
    if (m_services.mute) {
        m_services.mute(true);
    }
    setMessage({});
    m_recorder.start();
    emit recordingChanged();
}

void VoiceTrainingObject::takeFinished(const speech::Recording& take, const QString& error) {
    if (m_services.mute) {
        m_services.mute(false);
    }
    m_level = 0;
    emit levelChanged();
    emit recordingChanged();
    if (!error.isEmpty()) {
        setMessage(QStringLiteral("Couldn't record: %1.").arg(error));
        return;
    }
    const speech::TakeProblem problem = speech::checkTake(*take);
    if (problem != speech::TakeProblem::none) {
        setMessage(
            QString::fromUtf8(speech::takeProblemText(problem).data(),
                              static_cast<qsizetype>(speech::takeProblemText(problem).size())));
        return;
    }
    m_takes[m_index] = take;
    emit takesChanged();
    // On to the next prompt still to read, after this one and then from the start.
    for (int step = 1; step < count(); ++step) {
        const int candidate = (m_index + step) % count();
        if (!m_takes[candidate]) {
            show(candidate);
            break;
        }
    }
}

void VoiceTrainingObject::train() {
    if (m_training || m_recorder.isRecording() || recordedCount() + addedCount() < fewestTakes() ||
        !m_services.trainer) {
        return;
    }
    m_work = std::make_unique<QTemporaryDir>();
    std::vector<speech::TrainingPrompt> prompts;
    // Where each of the prompts came from: a read prompt's index, or count() onwards for an
    // added take.
    std::vector<int> used;
    const auto keep = [&](const speech::Recording& take, const std::string& text, int from) {
        const std::filesystem::path wav =
            m_work->filePath(QStringLiteral("take-%1.wav").arg(from)).toStdString();
        const std::string bytes = speech::wavFile::encode(*take, speech::speechFormat.sampleRate);
        QFile file(QString::fromStdString(wav.string()));
        if (!m_work->isValid() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            setMessage(QStringLiteral("Couldn't keep the recordings for training: %1.")
                           .arg(m_work->isValid() ? file.errorString() : m_work->errorString()));
            return false;
        }
        prompts.push_back({wav, text});
        used.push_back(from);
        return true;
    };
    for (int i = 0; i < count(); ++i) {
        if (m_takes[i] && !keep(m_takes[i], m_prompts[i], i)) {
            m_work.reset();
            return;
        }
    }
    for (int i = 0; i < addedCount(); ++i) {
        if (!keep(m_added[i].take, m_added[i].text, count() + i)) {
            m_work.reset();
            return;
        }
    }
    m_training = true;
    m_progress = 0;
    m_step = QStringLiteral("Starting");
    setMessage({});
    emit trainingChanged();
    emit progressChanged();
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_worker = std::thread([this, trainer = m_services.trainer, prompts, used] {
        const auto started = std::chrono::steady_clock::now();
        const speech::TrainingOutcome outcome =
            trainer(prompts, [this](const speech::TrainingProgress& progress) {
                QMetaObject::invokeMethod(
                    this,
                    [this, progress] {
                        m_progress = progress.fraction;
                        m_step = QString::fromStdString(progress.step);
                        emit progressChanged();
                    },
                    Qt::QueuedConnection);
            });
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        QMetaObject::invokeMethod(
            this,
            [this, outcome, used, seconds = took.count()] {
                trainingFinished(outcome, used, seconds);
            },
            Qt::QueuedConnection);
    });
}

void VoiceTrainingObject::trainingFinished(const speech::TrainingOutcome& outcome,
                                           const std::vector<int>& used, double seconds) {
    m_worker.join();
    m_work.reset();
    m_training = false;
    emit trainingChanged();
    // Takes that did not match their line are read again, trained or not.
    std::size_t mismatched = 0;
    int first = -1;
    std::vector<bool> addedMismatched(m_added.size(), false);
    for (const std::size_t rejected : outcome.rejected) {
        if (rejected >= used.size()) {
            continue;
        }
        const int from = used[rejected];
        if (from < count() && m_takes[from]) {
            m_takes[from] = nullptr;
            ++mismatched;
            first = first < 0 ? from : std::min(first, from);
        } else if (from >= count() && !addedMismatched[from - count()]) {
            addedMismatched[from - count()] = true;
            ++mismatched;
        }
    }
    // An added take has no line to read again: it goes.
    for (std::size_t i = m_added.size(); i-- > 0;) {
        if (addedMismatched[i]) {
            m_added.erase(m_added.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    if (std::find(addedMismatched.begin(), addedMismatched.end(), true) != addedMismatched.end()) {
        emit takesChanged();
    }
    if (first >= 0) {
        emit takesChanged();
        m_index = -1;
        show(first);
    }
    if (!outcome.trained()) {
        const QString why = QString::fromStdString(outcome.failure);
        setMessage(mismatched == 0
                       ? QStringLiteral("Training failed: %1").arg(why)
                       : QStringLiteral("%1 recordings did not match their line: read them "
                                        "again. %2")
                             .arg(mismatched)
                             .arg(why));
        return;
    }
    m_progress = 1;
    m_step = QStringLiteral("Done");
    emit progressChanged();
    QString message = QStringLiteral("Trained on %1 recordings in %2 s: Kelvarn listens for "
                                     "your voice from the next thing you say.")
                          .arg(used.size() - mismatched)
                          .arg(seconds, 0, 'f', 1);
    if (mismatched > 0) {
        message += QStringLiteral(" Lines whose recording did not match them: %1; read them "
                                  "again and train once more to use them too.")
                       .arg(mismatched);
    }
    setMessage(message);
    emit trainedChanged();
    if (m_services.profileChanged) {
        m_services.profileChanged();
    }
}

speech::TakeProblem VoiceTrainingObject::addTake(const speech::Recording& take,
                                                 const std::string& text) {
    const speech::TakeProblem problem =
        take && !text.empty() ? speech::checkTake(*take) : speech::TakeProblem::nothingSaid;
    if (problem != speech::TakeProblem::none) {
        return problem;
    }
    // While training, the indices handed to the trainer must keep pointing at the same takes.
    if (!m_training && m_added.size() >= m_prompts.size()) {
        m_added.erase(m_added.begin());
    }
    m_added.push_back({take, text});
    emit takesChanged();
    return problem;
}

std::string VoiceTrainingObject::addedTakeLine(speech::TakeProblem problem,
                                               const std::string& text) {
    switch (problem) {
    case speech::TakeProblem::none:
        return "Added to your voice training: “" + text +
               "” — Train in “Train Kelvarn on my voice…” to use it";
    case speech::TakeProblem::nothingSaid:
        return "Not added to your voice training: too little speech was heard";
    case speech::TakeProblem::tooQuiet:
        return "Not added to your voice training: it was too quiet";
    case speech::TakeProblem::clipped:
        return "Not added to your voice training: it was too loud and cut off";
    }
    return {};
}

void VoiceTrainingObject::forget() {
    if (m_training) {
        return;
    }
    if (const auto forgotten = speech::voiceProfile::forget(m_services.dataFolder); !forgotten) {
        setMessage(QString::fromStdString(forgotten.error()));
        return;
    }
    setMessage(QStringLiteral("Your voice training is forgotten: Kelvarn listens with the "
                              "general model."));
    emit trainedChanged();
    if (m_services.profileChanged) {
        m_services.profileChanged();
    }
}

} // namespace kelvarn::app
