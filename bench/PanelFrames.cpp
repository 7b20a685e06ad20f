// How the panel keeps up on a real X server: from a key press in a notes editor to the frame
// that shows it, on the large class with its saved history; and the frame rate of opening and
// scrolling a 400-student list. A plain program that prints figures; run it under Xvfb.
#include "LargeClass.h"
#include "app/AppController.h"
#include "desktop/FloatingPanel.h"
#include "desktop/QtFileDialogs.h"
#include "settings/Preferences.h"
#include "support/QuickItems.h"
#include "views/ContentViewSource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kelvarn {
namespace {

// Runs the event loop until the window has drawn a new frame; its time in milliseconds.
double untilNextFrame(QQuickWindow& window, const QElapsedTimer& since) {
    bool swapped = false;
    const auto connection =
        QObject::connect(&window, &QQuickWindow::frameSwapped, [&] { swapped = true; });
    window.update();
    while (!swapped) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QObject::disconnect(connection);
    return static_cast<double>(since.nsecsElapsed()) / 1e6;
}

void showPanel(desktop::FloatingPanel& panel, app::AppController& controller) {
    panel.setContent(views::contentViewSource(),
                     views::contentViewProperties(controller, panel.actions()));
    panel.window().show();
    panel.window().requestActivate();
    if (!QTest::qWaitForWindowExposed(&panel.window())) {
        std::puts("the panel was never shown");
        std::exit(1);
    }
    // Only so that key presses reach it; a window manager may refuse.
    (void)QTest::qWaitForWindowActive(&panel.window());
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void typing(int presses) {
    app::QtScheduler scheduler;
    desktop::QtFileDialogs dialogs;
    app::AppController controller(
        {bench::preparedFolder(), scheduler, dialogs, {}, nullptr, nullptr});
    GradingStore& store = controller.store();
    store.focusStudent(store.session().students[5].id);
    store.focusSection(SectionID::conclusion);
    QQmlEngine engine;
    Preferences preferences; // in the temporary settings folder main() set
    desktop::FloatingPanel panel(engine, preferences);
    showPanel(panel, controller);
    auto* editor = testing::named(panel.window().rootObject(), QStringLiteral("notesEditor"));
    if (editor == nullptr) {
        std::puts("typing: no notes editor on screen");
        return;
    }
    editor->forceActiveFocus();
    untilNextFrame(panel.window(), QElapsedTimer());

    std::vector<double> millis;
    for (int i = 0; i < presses; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(&panel.window(), static_cast<char>('a' + i % 26));
        millis.push_back(untilNextFrame(panel.window(), timer));
    }
    std::printf("typing: %d key presses, key press to next frame p50 %.2f ms, p95 %.2f ms, "
                "max %.2f ms (%zu undo entries)\n",
                presses, percentile(millis, 0.5), percentile(millis, 0.95), percentile(millis, 1.0),
                store.undoStack().size());
}

void scrolling(int students) {
    app::QtScheduler scheduler;
    desktop::QtFileDialogs dialogs;
    app::AppController controller({std::nullopt, scheduler, dialogs, {}, nullptr, nullptr});
    std::vector<RosterName> names;
    for (int i = 0; i < students; ++i) {
        names.push_back({"Student" + std::to_string(i) + " Surname" + std::to_string(i), {}});
    }
    controller.store().loadRoster(names);
    controller.store().focusStudent(controller.store().session().students[0].id);

    QQmlEngine engine;
    Preferences preferences; // in the temporary settings folder main() set
    desktop::FloatingPanel panel(engine, preferences);
    showPanel(panel, controller);
    untilNextFrame(panel.window(), QElapsedTimer());

    // Opening: from leaving the student to the list's first frame.
    QElapsedTimer opening;
    opening.start();
    controller.store().unfocus();
    const double openMs = untilNextFrame(panel.window(), opening);

    auto* list = testing::named(panel.window().rootObject(), QStringLiteral("studentList"));
    if (list == nullptr) {
        std::puts("scrolling: no student list on screen");
        return;
    }
    // One step of 24 pixels a frame, top to bottom, as a steady flick would.
    const double end = list->property("contentHeight").toDouble() - list->height();
    QElapsedTimer timer;
    timer.start();
    int frames = 0;
    std::vector<double> frameMillis;
    double previous = 0;
    for (double y = 0; y <= end; y += 24, ++frames) {
        list->setProperty("contentY", y);
        const double now = untilNextFrame(panel.window(), timer);
        frameMillis.push_back(now - previous);
        previous = now;
    }
    const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
    std::printf("list of %d students: opened in %.1f ms; scrolled %d frames in %.2f s = %.0f "
                "frames/s (slowest frame %.1f ms, p95 %.1f ms)\n",
                students, openMs, frames, seconds, frames / seconds, percentile(frameMillis, 1.0),
                percentile(frameMillis, 0.95));
}

} // namespace
} // namespace kelvarn

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fputs("PanelFrames needs an X server: run it with xvfb-run -a\n", stderr);
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication application(argc, argv);
    // The panel remembers its frame; not in the user's own settings.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    kelvarn::typing(300);
    kelvarn::scrolling(400);
    return 0;
}
