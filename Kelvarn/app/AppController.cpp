#include "app/AppController.h"

#include "app/Assign.h"
#include "persistence/BackgroundStateWriter.h"
#include "persistence/CSVExporter.h"
#include "persistence/CommentCsv.h"
#include "persistence/ExportDate.h"
#include "persistence/FileIO.h"
#include "persistence/GradeBookExporter.h"
#include "persistence/Roster.h"
#include "persistence/TextExporter.h"
#include "support/Overloaded.h"
#include "support/Unicode.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

// The façades reach QML as the module Kelvarn.App. Its type registration lives in this static
// library, and the linker keeps it only while something refers to it.
extern void qml_register_types_Kelvarn_App();
[[maybe_unused]] static volatile auto keepQmlTypes = &qml_register_types_Kelvarn_App;

namespace kelvarn::app {

namespace {

QStringList toQStringList(const std::vector<std::string>& words) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(words.size()));
    for (const std::string& word : words) {
        list.push_back(QString::fromStdString(word));
    }
    return list;
}

// Each section's notes in rubric order, then the overall notes: what a tidy may not find changed
// when it comes back. Levels and the name play no part.
std::vector<std::string> notesOnly(const StudentRecord& record) {
    std::vector<std::string> notes;
    for (const SectionID section : sections::allCases) {
        notes.push_back(record.grade(section).notes);
    }
    notes.push_back(record.overallNotes);
    return notes;
}

} // namespace

AppController::AppController(Services services, QObject* parent)
    : QObject(parent), m_scheduler(services.scheduler), m_dialogs(services.dialogs),
      m_tidy(std::move(services.tidy)), m_clock(services.clock),
      m_updater(std::move(services.updater)), m_speech(std::move(services.speech)) {
    std::unique_ptr<StoreStorage> storage;
    if (services.dataFolder) {
        const std::filesystem::path& folder = *services.dataFolder;
        (void)createDataFolder(folder);
        auto lock = DataFolderLock::acquire(folder);
        if (lock) {
            m_lock = std::move(lock).value();
            removeLeftoverTemporaryFiles(folder);
            // Failures are reported on the writer's thread: the store collects them here.
            storage = std::make_unique<BackgroundStateWriter>(folder, [this] {
                QMetaObject::invokeMethod(
                    this, [this] { m_store->reportWriteFailures(); }, Qt::QueuedConnection);
            });
        } else {
            m_lockProblem = lock.error();
        }
    }
    m_store = std::make_unique<GradingStore>(std::move(storage), m_clock);
    if (m_lockProblem) {
        // Grading on without files would lose every change when the window closes: say so.
        m_store->log(FeedItem::Kind::warning,
                     *m_lockProblem + ". Nothing done here will be saved: quit and use the other "
                                      "Kelvarn instead.");
    }
    m_storeObject = std::make_unique<StoreObject>(*m_store);
    if (m_updater) {
        m_updaterObject = std::make_unique<UpdaterObject>(*m_updater);
    }
    if (m_speech) {
        m_speechObject = std::make_unique<SpeechObject>(*m_speech, *m_storeObject);
        m_replayObject = std::make_unique<ReplayObject>(*m_speech, *m_storeObject);
        connect(m_replayObject.get(), &ReplayObject::failed, this, [this](const QString& message) {
            m_store->log(FeedItem::Kind::warning, message.toStdString());
        });
        // The text exactly as heard; nothing once the controller is gone.
        m_speech->setOnFinal([guard = QPointer<AppController>(this)](
                                 const QString& text, const speech::Recording& recording) {
            if (guard) {
                guard->m_sleep.restart();
                guard->m_replayObject->hear(recording, [&guard, &text] {
                    guard->m_store->handleTranscript(text.toStdString());
                });
            }
        });
        preferCommandReadings();
        connect(m_speech.get(), &speech::SpeechEngine::audioDropped, this, [this] {
            m_store->log(FeedItem::Kind::warning,
                         "Speech recognition fell behind: a few seconds of what was said were "
                         "dropped. Say it again if something is missing.");
        });
        connect(m_speech.get(), &speech::SpeechEngine::notice, this,
                [this](const QString& message) {
                    m_store->log(FeedItem::Kind::warning, message.toStdString());
                });
        connect(m_speech.get(), &speech::SpeechEngine::stateChanged, this,
                [this] { listeningChanged(); });
        connect(m_speech.get(), &speech::SpeechEngine::microphoneReturned, this, [this] {
            m_store->log(FeedItem::Kind::action, "Microphone back — listening again.");
        });
    }
    m_vocabulary = m_store->recognizerVocabulary();
    m_storeWatch = m_store->addObserver([this](StoreField field) { storeChanged(field); });
}

void AppController::setSleepMinutes(int minutes) {
    const std::chrono::minutes after{std::max(0, minutes)};
    if (after == m_sleep.after()) {
        return;
    }
    m_sleep.setAfter(after);
    emit sleepMinutesChanged();
}

void AppController::listeningChanged() {
    const bool listening = m_speech->state().kind == speech::SpeechState::Kind::listening;
    if (listening && !m_store->voicePaused()) {
        m_sleep.restart();
    } else if (!listening) {
        m_sleep.cancel();
        setAsleep(false);
    }
}

void AppController::fallAsleep() {
    if (!m_speech || m_store->voicePaused() ||
        m_speech->state().kind != speech::SpeechState::Kind::listening) {
        return;
    }
    const auto minutes = m_sleep.after().count();
    m_store->setVoicePaused(true);
    setAsleep(true);
    m_store->log(FeedItem::Kind::action,
                 "Asleep after " + std::to_string(minutes) +
                     (minutes == 1 ? " minute" : " minutes") +
                     " without a word — say “resume listening” or press Ctrl+Alt+L to wake it");
}

void AppController::setAsleep(bool asleep) {
    if (std::exchange(m_asleep, asleep) != asleep && m_speechObject) {
        m_speechObject->setAsleep(asleep);
    }
}

void AppController::storeChanged(StoreField field) {
    if (field == StoreField::voicePaused && m_speech) {
        if (m_store->voicePaused()) {
            m_sleep.cancel();
        } else {
            setAsleep(false);
            if (m_speech->state().kind == speech::SpeechState::Kind::listening) {
                m_sleep.restart();
            }
        }
    }
    if (field == StoreField::parser && m_speech) {
        preferCommandReadings();
    }
    // Whatever changed the class's names or the rules, the recogniser follows while listening.
    if (field == StoreField::parser || field == StoreField::corrections ||
        field == StoreField::comments) {
        refreshVocabulary();
    }
}

void AppController::preferCommandReadings() {
    // The recogniser asks on its own thread: it gets a copy of the parser, never the store's.
    m_speech->preferReadings([parser = m_store->parser()](const std::string& text) {
        return parser.readsAsCommands(text);
    });
}

void AppController::toggleListening() {
    if (!m_speech) {
        return;
    }
    if (m_speech->isRunning() && m_asleep) {
        // The key that would stop listening wakes it instead: the user wants to be heard.
        m_store->setVoicePaused(false);
    } else if (m_speech->isRunning()) {
        QCoro::connect(m_speech->stop(), this, [] {});
    } else {
        QCoro::connect(m_speech->start(m_store->recognizerVocabulary()), this, [] {});
    }
}

void AppController::restartListening() {
    if (!m_speech || !m_speech->isRunning() || m_shuttingDown) {
        return;
    }
    QCoro::connect(m_speech->stop(), this, [this] {
        if (!m_shuttingDown) {
            QCoro::connect(m_speech->start(m_store->recognizerVocabulary()), this, [] {});
        }
    });
}

void AppController::shutDown(std::chrono::milliseconds listeningLimit) {
    m_shuttingDown = true;
    stopTidy();
    if (m_speech && m_speech->isRunning()) {
        QEventLoop waiting;
        QCoro::connect(m_speech->stop(), &waiting, [&waiting] { waiting.quit(); });
        QTimer::singleShot(listeningLimit, &waiting, &QEventLoop::quit);
        if (m_speech->isRunning()) {
            waiting.exec();
        }
    }
    flush();
}

AppController::~AppController() {
    // A tidy's tool must not outlive the controller that gave it the notes.
    if (m_tidying) {
        m_tidying->stop.request_stop();
    }
    // What feeds the store goes before it; the store goes before the lock, so that its writer
    // finishes what is pending while the folder is still ours.
    m_replayObject.reset();
    m_speechObject.reset();
    m_updaterObject.reset();
    m_speech.reset();
    m_updater.reset();
    m_storeWatch.reset();
    m_storeObject.reset();
    m_store.reset();
}

void AppController::setCompact(bool compact) {
    if (assign(m_compact, compact)) {
        emit compactChanged();
    }
    if (onCompactChanged) {
        onCompactChanged(m_compact);
    }
}

void AppController::setShowActivity(bool show) {
    if (assign(m_showActivity, show)) {
        emit showActivityChanged();
    }
}

void AppController::flash(const QString& text) {
    if (assign(m_banner, std::optional<QString>(text))) {
        emit bannerChanged();
    }
    m_scheduler.callAfter(bannerDuration, *this, [this, text] {
        // A newer banner is cleared by its own call.
        if (m_banner == text) {
            m_banner.reset();
            emit bannerChanged();
        }
    });
}

void AppController::dismissBanner() {
    if (assign(m_banner, std::nullopt)) {
        emit bannerChanged();
    }
}

void AppController::openRoster() {
    const auto path =
        m_dialogs.chooseFileToOpen(QStringLiteral("Choose a roster (.txt, one student per line)"),
                                   QStringLiteral("Rosters and grade books (*.txt *.text *.csv);;"
                                                  "All files (*)"));
    if (!path) {
        return;
    }
    const auto parsed = roster::readFile(path->toStdString());
    if (!parsed) {
        flash(QString::fromStdString(parsed.error()));
        return;
    }
    m_store->loadRoster(parsed.value());
}

std::optional<QString> AppController::mergeRosterFile(const QString& path) {
    const auto parsed = roster::readFile(path.toStdString());
    if (!parsed) {
        const std::string failure = path.toStdString() + ": " + parsed.error();
        m_store->log(FeedItem::Kind::warning, failure);
        return QString::fromStdString(failure);
    }
    m_store->loadRoster(parsed.value());
    return std::nullopt;
}

void AppController::handleTranscript(const QString& text) {
    m_store->handleTranscript(text.toStdString());
}

void AppController::notePanelHidden() {
    if (m_shuttingDown || m_speech == nullptr || !m_speech->isRunning()) {
        return;
    }
    m_store->log(FeedItem::Kind::action,
                 "Panel hidden — still listening, and acting on what is heard. Ctrl+Alt+L stops "
                 "listening; Ctrl+Alt+G shows the panel.");
}

void AppController::exportCSV() {
    exportGrades(QStringLiteral("Export grades"), QStringLiteral("CSV files (*.csv)"),
                 QStringLiteral("Essay_Exam_1_Grades.csv"), csvExporter::csv(m_store->session()));
}

void AppController::exportGradeBook() {
    const QString defaultColumn =
        QString::fromUtf8(gradeBookExporter::defaultColumn.data(),
                          static_cast<qsizetype>(gradeBookExporter::defaultColumn.size()));
    // The platform matches the score to an assignment by this title, so it is asked each time,
    // starting from the one used last.
    const auto column = m_dialogs.askText(
        QStringLiteral("Export grade book"),
        QStringLiteral("Title of the score column, as the learning platform names the assignment "
                       "(in Canvas, such as “Essay 1 (412)”):"),
        m_gradeBookColumn.isEmpty() ? defaultColumn : m_gradeBookColumn);
    if (!column) {
        return;
    }
    const QString title = column->trimmed().isEmpty() ? defaultColumn : column->trimmed();
    m_gradeBookColumn = title;
    exportGrades(QStringLiteral("Export grade book"), QStringLiteral("CSV files (*.csv)"),
                 QStringLiteral("Essay_Exam_1_Grade_Book.csv"),
                 gradeBookExporter::csv(m_store->session(), title.toStdString()));
}

void AppController::exportText() {
    exportGrades(
        QStringLiteral("Export grades as text"), QStringLiteral("Text files (*.txt)"),
        QStringLiteral("Essay_Exam_1_Grades.txt"),
        textExporter::text(m_store->session(), m_clock(), exportDate::localeFromEnvironment()));
}

void AppController::exportGrades(const QString& title, const QString& filter,
                                 const QString& suggestedName, const std::string& text) {
    const auto path = m_dialogs.chooseFileToSave(title, filter, suggestedName);
    if (!path) {
        return;
    }
    // Atomic: a failed export leaves whatever was at the destination as it was.
    if (const auto written = writeUserFileAtomically(path->toStdString(), text); !written) {
        flash(QStringLiteral("Export failed: ") + QString::fromStdString(written.error()));
        return;
    }
    flash(QStringLiteral("Exported %1 students → %2")
              .arg(m_store->session().students.size())
              .arg(QFileInfo(*path).fileName()));
}

void AppController::addCorrection(const QString& heard, const QString& replacement) {
    m_store->addCorrection(Correction(heard.toStdString(), replacement.toStdString()));
}

namespace {

// What a refused change of the bank said in the feed; empty when it was made.
QString refusal(bool done, const GradingStore& store) {
    return done || store.feed().empty() ? QString()
                                        : QString::fromStdString(store.feed().back().text);
}

} // namespace

QString AppController::addComment(const QString& name, const QString& text) {
    return refusal(m_store->addComment(name.toStdString(), text.toStdString()), *m_store);
}

QString AppController::editComment(const QString& name, const QString& newName,
                                   const QString& newText) {
    return refusal(
        m_store->editComment(name.toStdString(), newName.toStdString(), newText.toStdString()),
        *m_store);
}

QString AppController::removeComment(const QString& name) {
    return refusal(m_store->removeComment(name.toStdString()), *m_store);
}

void AppController::importComments() {
    const auto path = m_dialogs.chooseFileToOpen(QStringLiteral("Import comments"),
                                                 QStringLiteral("CSV files (*.csv)"));
    if (!path) {
        return;
    }
    const auto parsed = commentCsv::readFile(path->toStdString());
    if (!parsed) {
        m_store->log(FeedItem::Kind::warning, parsed.error());
        return;
    }
    m_store->importComments(parsed.value().comments, parsed.value().skippedRows);
}

void AppController::exportComments() {
    const auto path = m_dialogs.chooseFileToSave(QStringLiteral("Export comments"),
                                                 QStringLiteral("CSV files (*.csv)"),
                                                 QStringLiteral("Kelvarn_Comments.csv"));
    if (!path) {
        return;
    }
    const std::string csv = commentCsv::csv(m_store->comments());
    if (const auto written = writeUserFileAtomically(path->toStdString(), csv); !written) {
        flash(QStringLiteral("Export failed: ") + QString::fromStdString(written.error()));
        return;
    }
    const std::size_t count = m_store->comments().size();
    flash(QStringLiteral("Exported %1 %2 → %3")
              .arg(count)
              .arg(count == 1 ? QStringLiteral("comment") : QStringLiteral("comments"))
              .arg(QFileInfo(*path).fileName()));
}

void AppController::removeCorrection(const QString& id) {
    if (const auto uuid = Uuid::parse(id.toStdString())) {
        m_store->removeCorrection(*uuid);
    }
}

void AppController::fixLastUtterance(const QString& original, const QString& corrected,
                                     bool remember) {
    // With names hidden, the user saw and edited "Student N" where a name was.
    const std::string heard = m_storeObject->unmasked(original.toStdString());
    const std::string text =
        unicode::trimWhitespace(m_storeObject->unmasked(corrected.toStdString()));
    if (text.empty() || text == heard) {
        return;
    }
    const bool learns = remember && Correction::suggested(heard, text).has_value();
    m_store->fixLastUtterance(text, learns);
}

void AppController::tidyFocusedStudent() {
    const auto snapshot = m_store->session().focusedStudent();
    if (!snapshot || m_tidying) {
        return;
    }
    const std::uint64_t run = ++m_tidyRuns;
    m_tidying = Tidying{run, std::stop_source(), snapshot->name};
    emit tidyingChanged();
    QCoro::connect(m_tidy(*snapshot, m_tidying->stop.get_token()), this,
                   [this, run, snapshot = *snapshot](const tidy::TidyOutcome& outcome) {
                       if (m_tidying && m_tidying->run == run) {
                           finishTidy(snapshot, outcome);
                       }
                   });
}

void AppController::cancelTidy() {
    if (!m_tidying) {
        return;
    }
    const std::string name = m_tidying->name;
    stopTidy();
    m_store->log(FeedItem::Kind::action, tidy::cancelledMessage(name));
}

void AppController::stopTidy() {
    if (!m_tidying) {
        return;
    }
    // Kills the tool at once; the tidy's own end comes later and finds it is no longer current.
    m_tidying->stop.request_stop();
    m_tidying.reset();
    emit tidyingChanged();
}

void AppController::finishTidy(const StudentRecord& snapshot, const tidy::TidyOutcome& outcome) {
    m_tidying.reset();
    std::visit(Overloaded{
                   [&](const tidy::TidiedNotes& tidied) { applyTidy(snapshot, tidied); },
                   [&](const Error& failure) { flash(QString::fromStdString(failure.message)); },
                   [&](const tidy::TidyStopped& stopped) {
                       m_store->log(FeedItem::Kind::warning, stopped.message);
                   },
               },
               outcome);
    emit tidyingChanged();
}

void AppController::applyTidy(const StudentRecord& snapshot, const tidy::TidiedNotes& tidied) {
    if (const auto current = m_store->student(snapshot.id);
        current && notesOnly(*current) == notesOnly(snapshot)) {
        // Checked and applied in one go on the main thread: nothing can change in between.
        const std::string label = "Tidied notes for " + snapshot.name;
        m_store->replaceNotes(tidied, label);
        flash(QString::fromStdString(label + " — Undo to revert"));
    } else {
        flash(QStringLiteral("Notes changed while tidying — try again."));
    }
}

void AppController::refreshVocabulary() {
    std::vector<std::string> vocabulary = m_store->recognizerVocabulary();
    if (vocabulary == m_vocabulary) {
        return;
    }
    m_vocabulary = std::move(vocabulary);
    if (m_speech) {
        QCoro::connect(m_speech->updateVocabulary(m_vocabulary), this, [] {});
    }
    emit vocabularyChanged(toQStringList(m_vocabulary));
}

void AppController::flush() {
    m_store->compact();
}

std::optional<QString> AppController::saveNow() {
    if (m_lockProblem) {
        return QString::fromStdString(*m_lockProblem) +
               QStringLiteral(": this Kelvarn saves nothing");
    }
    m_store->flush();
    if (const auto& failing = m_store->failingSave()) {
        return QString::fromStdString(*failing);
    }
    return std::nullopt;
}

} // namespace kelvarn::app
