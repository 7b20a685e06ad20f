// A notes keystroke as the panel makes it: through the controller's store, with the QObject
// façade listening and the background writer saving.
#include "LargeClass.h"
#include "app/AppController.h"
#include "desktop/QtFileDialogs.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

namespace kelvarn {
namespace {

void BM_ControllerNotesKeystroke(benchmark::State& state) {
    app::QtScheduler scheduler;
    desktop::QtFileDialogs dialogs;
    app::AppController controller(
        {bench::preparedFolder(), scheduler, dialogs, {}, nullptr, nullptr});
    GradingStore& store = controller.store();
    const NotesTarget target = OverallNotes{store.session().students[5].id};
    std::string text = store.notes(target);
    std::vector<double> millis;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        text.push_back('c');
        store.editNotes(text, target);
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
    }
    std::sort(millis.begin(), millis.end());
    state.counters["p50Ms"] = millis[millis.size() / 2];
    state.counters["maxMs"] = millis.back();
    state.counters["undoEntries"] = static_cast<double>(store.undoStack().size());
}
BENCHMARK(BM_ControllerNotesKeystroke)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvarn

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
