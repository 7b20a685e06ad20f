#include "AllocationCounter.h"
#include "LargeClass.h"
#include "engine/GradingStore.h"

#include <benchmark/benchmark.h>

namespace kelvarn {
namespace {

// Heap held by 500 undo entries, each a one-note change, beyond the live session: unchanged
// student records are shared between snapshots rather than copied.
void BM_UndoStackMemory(benchmark::State& state) {
    std::size_t held = 0;
    for (auto _ : state) {
        TimePoint now{};
        GradingStore store(SavedState{bench::largeClass(), {}}, [&] { return now; });
        const std::size_t before = bench::liveHeapBytes();
        for (std::size_t i = 0; i < GradingStore::maxUndoEntries; ++i) {
            const auto& student = store.session().students[i % 40];
            const NotesTarget target = SectionNotes{student.id, sections::allCases[i % 6]};
            store.editNotes(store.notes(target) + ".", target);
            now += std::chrono::seconds(5);
        }
        held = bench::liveHeapBytes() - before;
        benchmark::DoNotOptimize(store.undoStack().size());
    }
    state.counters["bytesHeld"] = static_cast<double>(held);
    state.counters["bytesPerEntry"] = static_cast<double>(held) / GradingStore::maxUndoEntries;
}
BENCHMARK(BM_UndoStackMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvarn
