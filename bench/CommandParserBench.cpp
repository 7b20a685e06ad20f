#include "LargeClass.h"
#include "language/CommandParser.h"
#include "language/Correction.h"

#include <benchmark/benchmark.h>

#include <array>

namespace kelvarn {
namespace {

std::vector<RosterEntry> rosterOf(const Session& session) {
    std::vector<RosterEntry> roster;
    for (const auto& student : session.students) {
        roster.push_back({student.id, student.name});
    }
    return roster;
}

// A lecture hall: 400 students, 40 given names by 40 family names (each pairing once), every
// tenth with a middle name, so the longest name has three tokens.
std::vector<RosterEntry> largeRoster() {
    static const std::array<const char*, 40> given{
        "Nadia",  "Ben",   "Zoë",    "Omar",  "Lena", "Ravi",   "Maya",    "Jonas",
        "Ines",   "Theo",  "Amara",  "Felix", "Hana", "Jakob",  "Leila",   "Mateo",
        "Nora",   "Oscar", "Priya",  "Quinn", "Rosa", "Samir",  "Tara",    "Umar",
        "Vera",   "Wen",   "Ximena", "Yusuf", "Zara", "Aiden",  "Bianca",  "Chidi",
        "Dmitri", "Elif",  "Farah",  "Goran", "Hugo", "Ingrid", "Joaquín", "Kenji"};
    static const std::array<const char*, 40> family{
        "Ford",      "Okafor",  "Nguyen",  "Álvarez", "Schmidt", "Kowalski", "Haddad",    "Petrov",
        "Yamamoto",  "Silva",   "O’Brien", "Müller",  "Rossi",   "Dubois",   "Andersen",  "García",
        "Kim",       "Patel",   "Cohen",   "Ivanova", "Mensah",  "Novak",    "Lindqvist", "Costa",
        "Demir",     "Fischer", "Horvat",  "Jensen",  "Lopez",   "Moreau",   "Nakamura",  "Olsen",
        "Papadakis", "Quispe",  "Rahman",  "Sato",    "Tanaka",  "Vargas",   "Weber",     "Zhang"};
    std::vector<RosterEntry> roster;
    for (std::size_t i = 0; i < 400; ++i) {
        std::string name = given[i % given.size()];
        if (i % 10 == 3) {
            name += std::string(" ") + given[(i * 7 + 3) % given.size()];
        }
        name += std::string(" ") + family[(i / given.size() + i) % family.size()];
        roster.push_back({Uuid::generate(), std::move(name)});
    }
    return roster;
}

// 30 tokens: a name, commands, dictation and fillers in one sentence, so segment() covers all
// 30 tokens (and fails: the dictation makes it a note, the costliest case).
constexpr const char* utterance =
    "Nadia Ford intro mostly um the thesis is clear but the roadmap needs work okay next "
    "student Ben Okafor evidence complete good use of sources next section analysis somewhat";

void BM_ParseUtterance(benchmark::State& state, std::vector<RosterEntry> roster) {
    const CommandParser parser(roster);
    state.counters["tokens"] = static_cast<double>(CommandParser::tokenize(utterance).size());
    state.counters["nameKeys"] = static_cast<double>(parser.nameKeys().size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.parse(utterance));
    }
}
BENCHMARK_CAPTURE(BM_ParseUtterance, roster40, rosterOf(bench::largeClass()))
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_ParseUtterance, roster400, largeRoster())
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The same words as short command sentences, as they are usually spoken.
void BM_ParseCommandSentences(benchmark::State& state, std::vector<RosterEntry> roster) {
    const CommandParser parser(roster);
    const char* text = "Nadia Ford. Intro mostly. Next student. Ben Okafor, evidence complete. "
                       "Okay, next section. Analysis somewhat.";
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.parse(text));
    }
}
BENCHMARK_CAPTURE(BM_ParseCommandSentences, roster40, rosterOf(bench::largeClass()))
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_BuildParser(benchmark::State& state, std::vector<RosterEntry> roster) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(CommandParser(roster));
    }
}
BENCHMARK_CAPTURE(BM_BuildParser, roster400, largeRoster())
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// N rules of one to three words, a 30-word utterance that some of them rewrite. The first 50
// rules include names; the rest, for large rule sets, are distinct three-word terms.
void BM_ApplyCorrections(benchmark::State& state) {
    std::vector<Correction> rules;
    const auto roster = largeRoster();
    const auto count = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = roster[(i * 7) % roster.size()].name;
        const std::string heard = i >= 50 || i % 3 == 2 ? "misheard term " + std::to_string(i)
                                  : i % 3 == 0          ? name
                                                        : name.substr(0, name.find(' '));
        rules.emplace_back(heard, "Replacement " + std::to_string(i));
    }
    const std::string text = "I think Nadia Ford did well on the intro but misheard term 5 was "
                             "wrong and Ben Okafor needs a clearer thesis with more evidence "
                             "from the sources next time";
    state.counters["rules"] = static_cast<double>(rules.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Correction::apply(rules, text));
    }
}
BENCHMARK(BM_ApplyCorrections)
    ->Arg(50)
    ->Arg(300)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace kelvarn
