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
        bench::makeOneNoteChanges(store, GradingStore::maxUndoEntries, now);
        held = bench::liveHeapBytes() - before;
        benchmark::DoNotOptimize(store.undoStack().size());
    }
    state.counters["bytesHeld"] = static_cast<double>(held);
    state.counters["bytesPerEntry"] = static_cast<double>(held) / GradingStore::maxUndoEntries;
}
BENCHMARK(BM_UndoStackMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvarn
