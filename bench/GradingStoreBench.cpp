#include "LargeClass.h"
#include "engine/GradingStore.h"

#include <benchmark/benchmark.h>

namespace kelvarn {
namespace {

// One keystroke in a notes editor: the commit gate copies, changes, compares and records.
void BM_EditNotesKeystroke(benchmark::State& state) {
    TimePoint now{};
    GradingStore store(SavedState{bench::largeClass(), {}}, [&] { return now; });
    const Uuid id = store.session().students[20].id;
    const NotesTarget target = SectionNotes{id, SectionID::evidence};
    std::string text = store.notes(target);
    for (auto _ : state) {
        text.push_back('x');
        store.editNotes(text, target);
        now += std::chrono::milliseconds(150);
    }
    state.counters["undoEntries"] = static_cast<double>(store.undoStack().size());
}
BENCHMARK(BM_EditNotesKeystroke)->Repetitions(5)->ReportAggregatesOnly(true);

// Keystrokes 5 s apart: every one pushes a new undo entry (the stack fills to its cap).
void BM_EditNotesNewStep(benchmark::State& state) {
    TimePoint now{};
    GradingStore store(SavedState{bench::largeClass(), {}}, [&] { return now; });
    const NotesTarget target = OverallNotes{store.session().students[7].id};
    std::string text = store.notes(target);
    for (auto _ : state) {
        text.push_back('y');
        store.editNotes(text, target);
        now += std::chrono::seconds(5);
    }
}
BENCHMARK(BM_EditNotesNewStep)->Repetitions(5)->ReportAggregatesOnly(true);

// One final transcript of 30 tokens mixing a name, commands and dictation, including the
// commits it makes. The class is restored between iterations so every run does the same work.
void BM_HandleTranscript(benchmark::State& state) {
    TimePoint now{};
    GradingStore store(SavedState{bench::largeClass(), {}}, [&] { return now; });
    const std::string utterance =
        "Um, Nadia Ford intro complete. The thesis is clear and argued with care throughout the "
        "essay. Evidence mostly. Sources are cited but thin in a few places. Next student please.";
    for (auto _ : state) {
        const auto entries = store.undoStack().size();
        store.handleTranscript(utterance);
        state.PauseTiming();
        while (store.undoStack().size() > entries) {
            store.undo();
        }
        now += std::chrono::seconds(5);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HandleTranscript)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvarn
