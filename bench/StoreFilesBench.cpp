#include "LargeClass.h"
#include "engine/GradingStore.h"
#include "persistence/SavedStateJson.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;

// A data folder holding the large class with a full saved history of one-note changes.
fs::path preparedFolder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "kelvarn-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        TimePoint now{};
        GradingStore store(SavedState{bench::largeClass(), {}}, [&] { return now; });
        bench::makeOneNoteChanges(store, GradingStore::savedUndoEntries, now);
        SavedState saved{store.session(), {}};
        for (std::size_t i = 0; i < store.undoStack().size(); ++i) {
            saved.undo.push_back(store.undoStack()[i]);
        }
        std::FILE* file = std::fopen((fs::path(pattern) / "session.json").c_str(), "wb");
        const std::string text = encodeSavedState(saved);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        return fs::path(pattern);
    }();
    return folder;
}

// One keystroke in a notes editor, including the save to disk that follows it. The argument is
// the pause between keystrokes in milliseconds: 0 types as fast as the disk allows (the disk's
// write-back then throttles every save), 150 is brisk typing.
void BM_EditNotesKeystrokeWithSave(benchmark::State& state) {
    const fs::path folder = preparedFolder();
    TimePoint now = std::chrono::system_clock::now();
    GradingStore store(folder, [&] { return now; });
    const NotesTarget target = OverallNotes{store.session().students[3].id};
    std::string text = store.notes(target);
    const auto pause = std::chrono::milliseconds(state.range(0));
    for (auto _ : state) {
        text.push_back('k');
        store.editNotes(text, target);
        now += std::chrono::milliseconds(150);
        if (pause.count() > 0) {
            state.PauseTiming();
            std::this_thread::sleep_for(pause);
            state.ResumeTiming();
        }
    }
    state.counters["fileBytes"] = static_cast<double>(fs::file_size(folder / "session.json"));
    state.counters["undoEntries"] = static_cast<double>(store.undoStack().size());
}
BENCHMARK(BM_EditNotesKeystrokeWithSave)
    ->Arg(0)
    ->Arg(150)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Start-up: reading and decoding that file.
void BM_LoadSavedState(benchmark::State& state) {
    const fs::path folder = preparedFolder();
    for (auto _ : state) {
        GradingStore store(folder);
        benchmark::DoNotOptimize(store.undoStack().size());
    }
}
BENCHMARK(BM_LoadSavedState)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvarn
