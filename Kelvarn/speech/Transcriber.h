#pragma once

#include "speech/AudioFormat.h"
#include "speech/AudioInputQueue.h"
#include "speech/Recording.h"
#include "support/Result.h"

#include <QCoroTask>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvarn::speech {

// An on-device recogniser for one listening run. Lives on the main thread and reports its
// results there, in order.
class Transcriber : public QObject {
    Q_OBJECT

public:
    // Whether a reading is one the application expects, such as commands and names. Asked on
    // the recogniser's thread.
    using ReadingTest = std::function<bool(const std::string&)>;

    using QObject::QObject;

    // Among readings that score about as well, prefer one that passes the test.
    virtual void preferReadings(ReadingTest expected) = 0;

    // Whether model files must be installed before it can run.
    virtual QCoro::Task<Result<bool>> needsModelInstall() = 0;
    virtual QCoro::Task<Result<void>> installModel() = 0;
    // Words and phrases likely to be said. Taken between utterances, never in the middle of one.
    virtual QCoro::Task<Result<void>> setVocabulary(std::vector<std::string> strings) = 0;
    // The input format it wants, given what is captured; nothing when none will do.
    virtual std::optional<AudioFormat> bestFormat(const AudioFormat& captureFormat) const = 0;
    virtual QCoro::Task<Result<void>> prepare(const AudioFormat& format) = 0;
    // Starts recognising the stream; returns while that goes on.
    virtual Result<void> start(std::shared_ptr<AudioInputQueue> input) = 0;
    // Recognises what the finished stream still holds, then stops. Results of that arrive
    // before the task completes.
    virtual QCoro::Task<void> finish() = 0;

Q_SIGNALS:
    // A volatile hypothesis of the current utterance, or (final) the utterance's transcript.
    void result(const QString& text, bool isFinal);
    // The audio of the utterance whose final transcript comes next; not sent for one too long
    // to keep.
    void recorded(const kelvarn::speech::Recording& recording);
    // Recognition broke down; no more results come.
    void failed(const QString& message);
    // Something the user should know that does not stop recognition, such as a voice profile
    // that could not be used.
    void notice(const QString& message);
};

} // namespace kelvarn::speech
