#pragma once

#include "speech/AudioRecorder.h"
#include "speech/Recording.h"
#include "speech/TakeCheck.h"
#include "speech/VoiceTraining.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QtQmlIntegration>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kelvarn::app {

// The training window's model: the user reads prompts one by one, each take is checked (nothing
// said, too quiet, clipped: read again), and the adaptation runs off the main thread with its
// progress shown. While a take is recorded, listening hears silence, or the prompts would be
// taken for commands. Main thread only.
class VoiceTrainingObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(int count READ count NOTIFY promptsChanged)
    Q_PROPERTY(int index READ index NOTIFY indexChanged)
    Q_PROPERTY(QString prompt READ prompt NOTIFY indexChanged)
    // Whether the shown prompt has a take that passed the checks.
    Q_PROPERTY(bool recorded READ recorded NOTIFY takesChanged)
    Q_PROPERTY(int recordedCount READ recordedCount NOTIFY takesChanged)
    // Takes of fixed utterances, trained on with the read ones.
    Q_PROPERTY(int addedCount READ addedCount NOTIFY takesChanged)
    Q_PROPERTY(int fewestTakes READ fewestTakes CONSTANT)
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    Q_PROPERTY(double level READ level NOTIFY levelChanged)
    // Why the last take was refused, how training ended, or empty.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(bool training READ training NOTIFY trainingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QString step READ step NOTIFY progressChanged)
    // Whether the data folder holds a voice profile.
    Q_PROPERTY(bool trained READ trained NOTIFY trainedChanged)

public:
    using Progress = std::function<void(const speech::TrainingProgress&)>;
    // Adapts the model to the prompts; runs off the main thread.
    using Trainer = std::function<speech::TrainingOutcome(
        const std::vector<speech::TrainingPrompt>&, const Progress&)>;

    struct Services {
        std::filesystem::path dataFolder;
        // The class's names, for prompts that say them.
        std::function<std::vector<std::string>()> names;
        Trainer trainer;
        // Listening hears silence while true.
        std::function<void(bool)> mute;
        // The profile changed (trained or forgotten): listening takes it up.
        std::function<void()> profileChanged;
        // Fewer takes than this adapt too little to be worth it.
        int fewestTakes = 20;
    };

    explicit VoiceTrainingObject(Services services, QObject* parent = nullptr);
    ~VoiceTrainingObject() override;

    int count() const { return static_cast<int>(m_prompts.size()); }
    int index() const { return m_index; }
    QString prompt() const;
    bool recorded() const;
    int recordedCount() const;
    int addedCount() const { return static_cast<int>(m_added.size()); }
    int fewestTakes() const { return m_services.fewestTakes; }
    bool recording() const { return m_recorder.isRecording(); }
    double level() const { return m_level; }
    QString message() const { return m_message; }
    bool training() const { return m_training; }
    double progress() const { return m_progress; }
    QString step() const { return m_step; }
    bool trained() const;

    // New prompts for the class as it is now; takes of prompts that stay are kept.
    Q_INVOKABLE void prepare();
    Q_INVOKABLE void record();
    Q_INVOKABLE void stopRecording() { m_recorder.stop(); }
    Q_INVOKABLE void previous() { show(m_index - 1); }
    Q_INVOKABLE void next() { show(m_index + 1); }
    // Needs fewestTakes takes; does nothing while recording or training.
    Q_INVOKABLE void train();
    Q_INVOKABLE void forget();
    // An utterance heard while grading, with the words said in it: checked like a read take.
    // The oldest goes once there are more than the prompts' own count.
    speech::TakeProblem addTake(const speech::Recording& take, const std::string& text);
    // The feed's line for what addTake said.
    static std::string addedTakeLine(speech::TakeProblem problem, const std::string& text);

signals:
    void promptsChanged();
    void indexChanged();
    void takesChanged();
    void recordingChanged();
    void levelChanged();
    void messageChanged();
    void trainingChanged();
    void progressChanged();
    void trainedChanged();

private:
    void show(int index);
    void setMessage(const QString& message);
    void takeFinished(const speech::Recording& take, const QString& error);
    void trainingFinished(const speech::TrainingOutcome& outcome, const std::vector<int>& used,
                          double seconds);

    Services m_services;
    std::vector<std::string> m_prompts;
    // One per prompt; null until it has a take that passed.
    std::vector<speech::Recording> m_takes;
    struct AddedTake {
        speech::Recording take;
        std::string text;
    };
    std::vector<AddedTake> m_added;
    int m_index = 0;
    speech::AudioRecorder m_recorder;
    double m_level = 0;
    QString m_message;
    std::thread m_worker;
    bool m_training = false;
    std::unique_ptr<QTemporaryDir> m_work;
    double m_progress = 0;
    QString m_step;
};

} // namespace kelvarn::app
