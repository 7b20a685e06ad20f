#include "LargeClass.h"
#include "engine/GradingStore.h"
#include "persistence/BackgroundStateWriter.h"
#include "persistence/FileIO.h"
#include "persistence/ReadOnlyFolderStorage.h"
#include "persistence/SavedStateJson.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;

// A copy of a prepared folder, for a run that changes it.
fs::path copyOf(const fs::path& folder) {
    std::string pattern = (fs::temp_directory_path() / "kelvarn-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    fs::copy(folder, pattern, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return pattern;
}

// One keystroke in a notes editor, including the save to disk that follows it. The argument is
// the pause between keystrokes in milliseconds: 0 types as fast as the disk allows (the disk's
// write-back then throttles every save), 150 is brisk typing.
void BM_EditNotesKeystrokeWithSave(benchmark::State& state) {
    // A copy: the notes grow with every keystroke, and the next benchmark starts afresh.
    const fs::path folder = copyOf(bench::preparedFolder());
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

// A notes editor on the prepared class whose store saves through the background writer: the
// owner thread only takes a snapshot and hands it over, while the writer's thread writes at most
// every half second. Every keystroke is timed, so that one meeting the hand-over lock held or a
// dropped snapshot being freed shows in the high percentiles, not only in the mean.
class BackgroundTypist {
public:
    BackgroundTypist()
        : m_store(std::make_unique<BackgroundStateWriter>(copyOf(bench::preparedFolder())),
                  [this] { return m_now; }),
          m_target(OverallNotes{m_store.session().students[3].id}),
          m_text(m_store.notes(m_target)) {}

    void keystroke(std::chrono::milliseconds pauseAfter) {
        const auto started = std::chrono::steady_clock::now();
        m_text.push_back('k');
        m_store.editNotes(m_text, m_target);
        m_millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
        m_now += pauseAfter;
    }

    // Waits for the disk, after the timed loop, and reports single keystrokes.
    void finish(benchmark::State& state) {
        m_store.flush();
        std::sort(m_millis.begin(), m_millis.end());
        const auto at = [&](double fraction) {
            return m_millis[static_cast<std::size_t>(fraction * (m_millis.size() - 1))];
        };
        state.counters["p50Ms"] = at(0.5);
        state.counters["p99Ms"] = at(0.99);
        state.counters["maxMs"] = m_millis.back();
        state.counters["undoEntries"] = static_cast<double>(m_store.undoStack().size());
    }

private:
    TimePoint m_now = std::chrono::system_clock::now(); // first: the store's clock reads it
    GradingStore m_store;
    NotesTarget m_target;
    std::string m_text;
    std::vector<double> m_millis;
};

// The keystroke of BM_EditNotesKeystrokeWithSave, typed as fast as possible, saved in the
// background.
void BM_EditNotesKeystrokeBackgroundSave(benchmark::State& state) {
    BackgroundTypist typist;
    for (auto _ : state) {
        typist.keystroke(std::chrono::milliseconds(150));
    }
    typist.finish(state);
}
BENCHMARK(BM_EditNotesKeystrokeBackgroundSave)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// This process's bytes handed to write() (wchar) and sent on to the storage layer (write_bytes),
// and the processor time of all its threads, the writer's included.
struct ProcessWrites {
    double handed = 0;
    double stored = 0;
    double cpuSeconds = 0;

    static ProcessWrites now() {
        ProcessWrites writes;
        timespec cpu{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        writes.cpuSeconds =
            static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
        std::ifstream io("/proc/self/io");
        std::string key;
        double value = 0;
        while (io >> key >> value) {
            if (key == "wchar:") {
                writes.handed = value;
            } else if (key == "write_bytes:") {
                writes.stored = value;
            }
        }
        return writes;
    }
};

// Typing ten characters a second for 15 s of real time, saved in the background, and what that
// writes, extrapolated to a minute.
void BM_TypingTenCharactersASecondBackgroundSave(benchmark::State& state) {
    constexpr std::chrono::milliseconds pause(100);
    BackgroundTypist typist;
    const ProcessWrites before = ProcessWrites::now();
    const auto started = std::chrono::steady_clock::now();
    auto due = started;
    for (auto _ : state) {
        typist.keystroke(pause);
        due += pause;
        state.PauseTiming();
        std::this_thread::sleep_until(due);
        state.ResumeTiming();
    }
    const ProcessWrites after = ProcessWrites::now();
    const double minutes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() / 60;
    typist.finish(state);
    // Of one processor, while typing: how much saving in the background costs the machine.
    state.counters["cpuShare"] = (after.cpuSeconds - before.cpuSeconds) / (minutes * 60);
    const auto fileBytes =
        static_cast<double>(fs::file_size(bench::preparedFolder() / "session.json"));
    state.counters["fileBytes"] = fileBytes;
    state.counters["bytesPerMinute"] = (after.handed - before.handed) / minutes;
    state.counters["storageBytesPerMinute"] = (after.stored - before.stored) / minutes;
    state.counters["savesPerMinute"] = (after.handed - before.handed) / fileBytes / minutes;
}
BENCHMARK(BM_TypingTenCharactersASecondBackgroundSave)
    ->Iterations(150)
    ->Unit(benchmark::kMillisecond);

// 60 students with notes: a session.json of about 10 MB with its full history.
const fs::path& sixtyStudentFolder() {
    static const fs::path folder = bench::preparedFolderFor(bench::gradedClass(60, 200, 400));
    return folder;
}

// Everything written per change over a long grading session, the rewrites of session.json
// included: a change every 5 s of the store's clock, each followed by a pause the writer sees as
// idle (its clock moved by hand), so that every rewrite the policy allows happens; then the
// quit's. Argument: 0 is the 60-student class, 1 the large one.
void BM_BytesWrittenPerChange(benchmark::State& state) {
    constexpr std::size_t changes = 1000;
    const fs::path source = state.range(0) == 0 ? sixtyStudentFolder() : bench::preparedFolder();
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = copyOf(source);
        state.ResumeTiming();
        const ProcessWrites before = ProcessWrites::now();
        {
            auto steady = std::chrono::steady_clock::now();
            TimePoint now = std::chrono::system_clock::now();
            auto owned =
                std::make_unique<BackgroundStateWriter>(folder, nullptr, [&] { return steady; });
            BackgroundStateWriter& writer = *owned;
            GradingStore store(std::move(owned), [&] { return now; });
            for (std::size_t i = 0; i < changes; ++i) {
                const StudentRecord& student =
                    store.session().students[i % store.session().students.size()];
                const SectionID section = sections::allCases[i % 6];
                if (i % 2 == 0) {
                    store.setLevel(levels::allCases[i % 4], student.id, section);
                } else {
                    const NotesTarget target = SectionNotes{student.id, section};
                    store.editNotes(store.notes(target) + " More.", target);
                }
                now += std::chrono::seconds(5);
                steady += std::chrono::seconds(3);
                writer.catchUp();
            }
        }
        bytes = ProcessWrites::now().handed - before.handed;
        state.PauseTiming();
        fs::remove_all(folder);
        state.ResumeTiming();
    }
    state.counters["fileBytes"] = static_cast<double>(fs::file_size(source / "session.json"));
    state.counters["bytesPerChange"] = bytes / changes;
}
BENCHMARK(BM_BytesWrittenPerChange)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// Start-up after a crash: session.json and a journal of one-note changes (each a step of its
// own) to read and replay. Argument: the changes in the journal; 1200 comes close to its size
// limit.
void BM_LoadWithJournal(benchmark::State& state) {
    const fs::path folder = copyOf(bench::preparedFolder());
    const std::string file = readWholeFile(folder / "session.json").value();
    std::string journal;
    {
        TimePoint now = std::chrono::system_clock::now();
        GradingStore store(folder, [&] { return now; });
        bench::makeOneNoteChanges(store, static_cast<std::size_t>(state.range(0)), now);
        journal = readWholeFile(folder / "session.journal").value();
    }
    // As a kill leaves it: the store's end rewrote session.json.
    (void)writeFileAtomically(folder / "session.json", file);
    (void)writeFileAtomically(folder / "session.journal", journal);
    for (auto _ : state) {
        GradingStore store(std::make_unique<ReadOnlyFolderStorage>(folder));
        benchmark::DoNotOptimize(store.undoStack().size());
    }
    state.counters["journalBytes"] = static_cast<double>(journal.size());
    fs::remove_all(folder);
}
BENCHMARK(BM_LoadWithJournal)
    ->Arg(64)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Start-up: reading and decoding that file.
void BM_LoadSavedState(benchmark::State& state) {
    const fs::path folder = bench::preparedFolder();
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
