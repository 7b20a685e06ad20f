// kelvarn: the desktop application. Only wiring: everything it starts lives in the libraries.
#include "app/VoiceTrainingObject.h"
#include "desktop/QtFileDialogs.h"
#include "persistence/DataFolder.h"
#include "process/Application.h"
#include "process/InstanceChannel.h"
#include "process/LaunchArguments.h"
#include "process/QuitSignals.h"
#include "settings/Preferences.h"
#include "speech/PocketSphinxTranscriber.h"
#include "speech/PulseAudioSource.h"
#include "speech/VoiceProfile.h"
#include "speech/VoiceTraining.h"
#include "tidy/NoteTidier.h"
#include "update/RunningBundle.h"
#include "update/ShellRelauncher.h"
#include "update/SystemVersion.h"
#include "update/Updater.h"
#include "views/ControllerWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"
#include "views/VoiceTrainingWindow.h"

#include <QApplication>
#include <QDir>
#include <QQmlEngine>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace {

bool hasGraphicalSession() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0') ||
           (platform != nullptr && *platform != '\0');
}

} // namespace

int main(int argc, char** argv) {
    using namespace kelvarn;
    // --help and --version need no session and no running instance.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i) {
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const process::LaunchArguments launchArguments = process::LaunchArguments::parse(rawArguments);
    if (launchArguments.help) {
        std::cout << process::LaunchArguments::helpText().toStdString();
        return 0;
    }
    if (launchArguments.version) {
        std::cout << "kelvarn " KELVARN_VERSION "\n";
        return 0;
    }
    // A mistyped flag must not start a Kelvarn that quietly does something else.
    if (const QStringList& unknown = launchArguments.unknownFlags; !unknown.isEmpty()) {
        std::cerr << "kelvarn: unknown " << (unknown.size() == 1 ? "flag " : "flags ")
                  << unknown.join(QStringLiteral(", ")).toStdString()
                  << " (kelvarn --help lists them)\n";
        return 2;
    }
    if (!launchArguments.warning.isEmpty()) {
        std::cerr << "kelvarn: " << launchArguments.warning.toStdString() << " (ignored)\n";
    }
    if (!hasGraphicalSession()) {
        std::cerr << "kelvarn needs a graphical session (no DISPLAY or WAYLAND_DISPLAY is set); "
                     "kelvarnctl works without one.\n";
        return 1;
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kelvarn"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvarn"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVARN_VERSION));
    // The panel and the tray are the way in: closing a window never ends the application.
    QApplication::setQuitOnLastWindowClosed(false);

    // Without a private folder for the socket there is no channel: a second launch then finds
    // the data folder taken and says so, rather than talk to whoever could put a socket there.
    const auto socketPath = process::InstanceChannel::defaultSocketPath();
    std::optional<process::InstanceChannel> channel;
    if (socketPath) {
        channel.emplace(socketPath.value());
        using Outcome = process::InstanceChannel::Forwarded::Outcome;
        const auto forwarded =
            channel->forwardToRunningInstance(launchArguments.forwarded(QDir::current()));
        if (forwarded.outcome == Outcome::handled && forwarded.message.isEmpty()) {
            return 0;
        }
        if (forwarded.outcome != Outcome::noInstance) {
            for (const QString& line : forwarded.message.split(QLatin1Char('\n'))) {
                std::cerr << "kelvarn: " << line.toStdString() << '\n';
            }
            return 1;
        }
    } else {
        std::cerr << "kelvarn: " << socketPath.error()
                  << " (a second launch cannot reach this one)\n";
    }

    process::QuitSignals quitSignals;
    Preferences preferences;
    tidy::NoteTidier tidier(preferences, tidy::ToolSetting::ofThisProcess());
    app::QtScheduler scheduler;
    desktop::QtFileDialogs dialogs;
    update::ShellRelauncher relauncher([] { QCoreApplication::quit(); });
    app::AppController controller(
        {defaultDataFolder(), scheduler, dialogs,
         [&](StudentRecord student, std::stop_token stop) {
             return tidier.tidy(std::move(student), std::move(stop));
         },
         std::make_unique<update::Updater>(update::runningBundle(), update::runningSystemVersion(),
                                           relauncher),
         std::make_unique<speech::SpeechEngine>(
             [] { return std::make_unique<speech::PulseAudioSource>(); },
             [] {
                 speech::SphinxSettings settings;
                 settings.voiceProfile = speech::voiceProfile::trained(defaultDataFolder());
                 return speech::PocketSphinxTranscriber::create(settings);
             })});
    // A Kelvarn that cannot save must not be the one second launches hand their changes to.
    if (const auto& problem = controller.dataFolderProblem()) {
        std::cerr << "kelvarn: " << *problem
                  << ", and no running Kelvarn answered: this launch did nothing. If another "
                     "process holds the folder (kelvarnctl, or a Kelvarn that is stopped or "
                     "stuck), try again once it has ended.\n";
        return 1;
    }
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &controller,
                     [&controller] { controller.shutDown(); });

    QQmlEngine engine;
    views::TidyPromptWindow tidyWindow(engine, preferences);
    views::CorrectionsWindow correctionsWindow(engine, controller);
    views::CommentsWindow commentsWindow(engine, controller);
    views::HelpWindow helpWindow(engine);
    app::VoiceTrainingObject training({
        defaultDataFolder(),
        [&controller] {
            std::vector<std::string> names;
            // Prompts that name the class would show the names anonymous grading hides.
            if (controller.storeObject()->anonymous()) {
                return names;
            }
            for (const StudentRecord& student : controller.store().session().students) {
                names.push_back(student.name);
            }
            return names;
        },
        [](const std::vector<speech::TrainingPrompt>& prompts,
           const app::VoiceTrainingObject::Progress& progress) {
            return speech::voiceTraining::train(prompts, speech::SphinxSettings{},
                                                defaultDataFolder(), progress);
        },
        [&controller](bool muted) { controller.speech()->setMuted(muted); },
        [&controller] { controller.restartListening(); },
    });
    if (app::ReplayObject* replay = controller.replayObject()) {
        QObject::connect(
            replay, &app::ReplayObject::trainingTakeOffered, &training,
            [&](const speech::Recording& take, const QString& text) {
                const speech::TakeProblem problem = training.addTake(take, text.toStdString());
                controller.store().log(
                    problem == speech::TakeProblem::none ? FeedItem::Kind::action
                                                         : FeedItem::Kind::warning,
                    app::VoiceTrainingObject::addedTakeLine(problem, text.toStdString()));
            });
    }
    views::VoiceTrainingWindow trainingWindow(engine, training);
    process::Application shell({controller, engine, preferences, tidyWindow, correctionsWindow,
                                commentsWindow, helpWindow, trainingWindow});
    // Listen before this launch's own words change anything: a second launch that sees them saved
    // must find someone to hand over to, not a data folder taken by nobody it can reach. What it
    // sends waits for the event loop, after this launch's own.
    if (channel && !channel->listen([&](const QStringList& forwarded) {
            return shell.handle(process::LaunchArguments::parse(forwarded));
        })) {
        std::cerr << "kelvarn: " << channel->error().toStdString()
                  << " (a second launch cannot reach this one)\n";
    }
    for (const QString& failure : shell.launch(launchArguments)) {
        std::cerr << "kelvarn: " << failure.toStdString() << '\n';
    }
    return QApplication::exec();
}
