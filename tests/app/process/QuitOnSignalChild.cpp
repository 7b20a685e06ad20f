// A Kelvarn-like process for the quit test: a controller over the folder in argv[1], a change
// (argv[2] as notes) that the background writer has not written yet, then the event loop until a
// signal ends it.
#include "app/AppController.h"
#include "desktop/QtFileDialogs.h"
#include "process/QuitSignals.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    kelvarn::process::QuitSignals quitSignals;
    kelvarn::app::QtScheduler scheduler;
    kelvarn::desktop::QtFileDialogs dialogs;
    kelvarn::app::AppController controller({argv[1], scheduler, dialogs, {}, nullptr, nullptr});
    controller.store().loadRoster({"Nadia Ford"});
    controller.store().editNotes(
        argv[2], kelvarn::OverallNotes{controller.store().session().students[0].id});
    std::cout << "ready" << std::endl;
    return QApplication::exec();
}
