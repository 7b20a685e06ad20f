#pragma once

#include "app/AutoSleep.h"
#include "app/FileDialogs.h"
#include "app/ReplayObject.h"
#include "app/Scheduler.h"
#include "app/SpeechObject.h"
#include "app/StoreObject.h"
#include "app/UpdaterObject.h"
#include "engine/GradingStore.h"
#include "persistence/DataFolder.h"
#include "speech/SpeechEngine.h"
#include "tidy/TidyOutcome.h"
#include "update/Updater.h"

#include <QCoroTask>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQmlIntegration>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace kelvarn::app {

// Ties the application together: owns the grading store and carries what the menus, the panel's
// buttons and its shortcuts ask for, and the panel's own state (compact mode, the banner, the
// activity feed). Main thread only; slow work runs as main-thread tasks.
class AppController final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application and handed to the views.")
    Q_PROPERTY(bool compact READ compact WRITE setCompact NOTIFY compactChanged)
    Q_PROPERTY(bool tidying READ tidying NOTIFY tidyingChanged)
    Q_PROPERTY(QString banner READ banner NOTIFY bannerChanged)
    Q_PROPERTY(bool hasBanner READ hasBanner NOTIFY bannerChanged)
    Q_PROPERTY(bool showActivity READ showActivity WRITE setShowActivity NOTIFY showActivityChanged)
    Q_PROPERTY(kelvarn::app::StoreObject* store READ storeObject CONSTANT)
    // Null when the controller has no speech engine or no updater.
    Q_PROPERTY(kelvarn::app::SpeechObject* speech READ speechObject CONSTANT)
    Q_PROPERTY(kelvarn::app::ReplayObject* replay READ replayObject CONSTANT)
    Q_PROPERTY(kelvarn::app::UpdaterObject* updater READ updaterObject CONSTANT)
    // Minutes of listening without a heard word before listening pauses by itself; 0: never.
    Q_PROPERTY(int sleepMinutes READ sleepMinutes WRITE setSleepMinutes NOTIFY sleepMinutesChanged)

public:
    static constexpr std::chrono::seconds bannerDuration{6};

    // Tidies one student's notes off the main thread (the note tidier, or a fake in tests),
    // stopping early when asked to through the token.
    using Tidy = std::function<QCoro::Task<tidy::TidyOutcome>(StudentRecord, std::stop_token)>;

    struct Services {
        // Without a folder nothing is read or written (tests).
        std::optional<std::filesystem::path> dataFolder;
        Scheduler& scheduler;
        FileDialogs& dialogs;
        Tidy tidy;
        // Absent in tests that do not update or listen.
        std::unique_ptr<update::Updater> updater;
        std::unique_ptr<speech::SpeechEngine> speech;
        Clock clock = systemClock();
    };

    explicit AppController(Services services, QObject* parent = nullptr);
    ~AppController() override;

    // Tests and benchmarks drive the store directly; the application goes through the
    // operations below.
    GradingStore& store() { return *m_store; }
    StoreObject* storeObject() { return m_storeObject.get(); }
    update::Updater* updater() { return m_updater.get(); }
    speech::SpeechEngine* speech() { return m_speech.get(); }
    SpeechObject* speechObject() { return m_speechObject.get(); }
    ReplayObject* replayObject() { return m_replayObject.get(); }
    UpdaterObject* updaterObject() { return m_updaterObject.get(); }

    bool compact() const { return m_compact; }
    // Every assignment, even of the same value, calls the hook: the panel is resized to match.
    void setCompact(bool compact);
    std::function<void(bool)> onCompactChanged;

    bool tidying() const { return m_tidying.has_value(); }
    QString banner() const { return m_banner ? m_storeObject->shown(*m_banner) : QString(); }
    bool hasBanner() const { return m_banner.has_value(); }
    Q_INVOKABLE void toggleCompact() { setCompact(!m_compact); }
    bool showActivity() const { return m_showActivity; }
    Q_INVOKABLE void setShowActivity(bool show);

    // Shows a banner for six seconds, unless a newer one replaces it.
    Q_INVOKABLE void flash(const QString& text);
    Q_INVOKABLE void dismissBanner();
    Q_INVOKABLE void openRoster();
    Q_INVOKABLE void exportCSV();
    // The grade book's own columns and the score, for upload to the learning platform.
    Q_INVOKABLE void exportGradeBook();
    Q_INVOKABLE void exportText();
    Q_INVOKABLE void addCorrection(const QString& heard, const QString& replacement);
    Q_INVOKABLE void removeCorrection(const QString& id);
    // The comment bank. Each returns why it refused, or an empty text when it did it (the feed
    // says either way).
    Q_INVOKABLE QString addComment(const QString& name, const QString& text);
    Q_INVOKABLE QString editComment(const QString& name, const QString& newName,
                                    const QString& newText);
    Q_INVOKABLE QString removeComment(const QString& name);
    // A two-column CSV (Name,Text) chosen in a file dialog, merged by name; and the bank written
    // as one.
    Q_INVOKABLE void importComments();
    Q_INVOKABLE void exportComments();
    // Re-runs the last heard line (original) as corrected, learning the rule the fix suggests
    // when asked to and there is one. Does nothing when the corrected text trimmed is empty or
    // still the original.
    Q_INVOKABLE void fixLastUtterance(const QString& original, const QString& corrected,
                                      bool remember);
    // Tidies the focused student's notes, one tidy at a time; the result replaces the notes as
    // one undoable step only if they did not change meanwhile. A tidy that stops (the tool's time
    // limit) says so in the feed.
    Q_INVOKABLE void tidyFocusedStudent();
    // Stops the tidy under way, and says so in the feed; whatever it would still answer is
    // dropped, so the notes stay as they were.
    Q_INVOKABLE void cancelTidy();

    // Starts listening with the store's vocabulary, or stops; wakes it when it fell asleep.
    Q_INVOKABLE void toggleListening();
    int sleepMinutes() const { return static_cast<int>(m_sleep.after().count()); }
    void setSleepMinutes(int minutes);
    // Listening paused itself after the quiet time; a word or the key wakes it.
    bool asleep() const { return m_asleep; }
    // While listening: stops and starts again, so that the recogniser is made anew (a voice
    // profile trained or forgotten).
    void restartListening();

    // What a launch or a second launch asks for. A roster file that cannot be read, or names no
    // one, changes nothing; the feed says why, and so does what is returned, for a terminal.
    std::optional<QString> mergeRosterFile(const QString& path);
    // Handled exactly as if it had been heard.
    void handleTranscript(const QString& text);
    // Hiding the panel does not stop listening: while listening, the feed says so, for when the
    // panel is shown again (and for a desktop without a tray, where nothing else would).
    void notePanelHidden();

    // Writes every pending change to disk and has session.json hold them all on its own; called
    // when the application quits.
    void flush();
    // The same, for a caller that must know: why the changes are not on disk, if they are not.
    std::optional<QString> saveNow();
    // Why nothing is saved, when the data folder could not be taken at start (another process
    // holds it, or it cannot be made); nothing when changes are saved.
    const std::optional<std::string>& dataFolderProblem() const { return m_lockProblem; }
    // The orderly end: a tidy under way stopped, listening stopped (waiting at most the limit),
    // then every change written.
    void shutDown(std::chrono::milliseconds listeningLimit = std::chrono::seconds(1));
    // From the start of shutDown on: what arrives then (a key, a forwarded launch) is refused.
    bool shuttingDown() const { return m_shuttingDown; }

signals:
    void compactChanged();
    void tidyingChanged();
    void bannerChanged();
    void showActivityChanged();
    void sleepMinutesChanged();
    // The recogniser's hints changed: the class's names (a roster, an undo) or the correction
    // rules did. Only when the words really changed.
    void vocabularyChanged(const QStringList& vocabulary);

private:
    void storeChanged(StoreField field);
    void listeningChanged();
    void fallAsleep();
    void setAsleep(bool asleep);
    void refreshVocabulary();
    void preferCommandReadings();
    void stopTidy();
    void finishTidy(const StudentRecord& snapshot, const tidy::TidyOutcome& outcome);
    void applyTidy(const StudentRecord& snapshot, const tidy::TidiedNotes& tidied);
    void exportGrades(const QString& title, const QString& filter, const QString& suggestedName,
                      const std::string& text);

    Scheduler& m_scheduler;
    FileDialogs& m_dialogs;
    Tidy m_tidy;
    Clock m_clock;
    std::optional<DataFolderLock> m_lock;
    std::optional<std::string> m_lockProblem;
    std::unique_ptr<GradingStore> m_store;
    std::unique_ptr<StoreObject> m_storeObject;
    std::unique_ptr<update::Updater> m_updater;
    std::unique_ptr<speech::SpeechEngine> m_speech;
    std::unique_ptr<SpeechObject> m_speechObject;
    std::unique_ptr<ReplayObject> m_replayObject;
    std::unique_ptr<UpdaterObject> m_updaterObject;
    GradingStore::Subscription m_storeWatch;
    std::vector<std::string> m_vocabulary;

    bool m_shuttingDown = false;
    // The tidy under way: its run, so that the answer of one stopped meanwhile is dropped, what
    // stops it, and whose notes it has.
    struct Tidying {
        std::uint64_t run = 0;
        std::stop_source stop;
        std::string name;
    };
    std::optional<Tidying> m_tidying;
    std::uint64_t m_tidyRuns = 0;

    bool m_compact = false;
    std::optional<QString> m_banner;
    bool m_showActivity = true;
    AutoSleep m_sleep{m_scheduler, *this, [this] { fallAsleep(); }};
    bool m_asleep = false;
    // The score column's title the grade book was last exported with; empty before the first.
    QString m_gradeBookColumn;
};

} // namespace kelvarn::app
