#include "LargeClass.h"
#include "persistence/CSVExporter.h"
#include "persistence/Roster.h"
#include "persistence/TextExporter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace kelvarn {
namespace {

// A roster far beyond any class: 100,000 lines mixing both name orders, accented names,
// comments, blank lines, CR LF endings and case-insensitive repeats.
std::string hugeRoster() {
    static const std::array<const char*, 6> given{"Nadia", "Zoë", "Omar", "Élise", "Ben", "Ravi"};
    static const std::array<const char*, 5> family{"Ford", "Álvarez", "Okafor", "Nguyen", "Zorn"};
    std::string text;
    for (std::size_t i = 0; i < 100'000; ++i) {
        const std::string number = std::to_string(i / 3);
        switch (i % 5) {
        case 0:
            text += std::string(family[i % family.size()]) + number + ",  " + given[i % 6];
            break;
        case 1:
            text += std::string("  ") + given[i % 6] + "  " + family[i % family.size()] + number;
            break;
        case 2:
            text += "# group " + number;
            break;
        case 3:
            text += "\t";
            break;
        default:
            text += std::string("ZOË ") + "NGUYEN" + number + "\r";
        }
        text += '\n';
    }
    return text;
}

void BM_ParseRoster100kLines(benchmark::State& state) {
    const std::string text = hugeRoster();
    std::size_t names = 0;
    for (auto _ : state) {
        names = roster::parse(text).names.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = static_cast<double>(names);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseRoster100kLines)->Unit(benchmark::kMillisecond);

void BM_ExportCsvLargeClass(benchmark::State& state) {
    const Session session = bench::largeClass();
    for (auto _ : state) {
        benchmark::DoNotOptimize(csvExporter::csv(session));
    }
}
BENCHMARK(BM_ExportCsvLargeClass)->Unit(benchmark::kMicrosecond);

void BM_ExportTextLargeClass(benchmark::State& state) {
    const Session session = bench::largeClass();
    const TimePoint date = std::chrono::system_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(textExporter::text(session, date, "en_US", "UTC"));
    }
}
BENCHMARK(BM_ExportTextLargeClass)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelvarn
