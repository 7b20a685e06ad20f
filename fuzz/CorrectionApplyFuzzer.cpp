// Correction::apply on arbitrary rules and text. Input lines: the first is the text, each
// further line a rule "heard<TAB>replacement" (at most 8), taken both as stored and as made.
#include "FuzzChecks.h"
#include "language/Correction.h"

using namespace kelvarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = fuzz::split(input, '\n', 9);
    std::vector<Correction> rules;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> parts = fuzz::split(lines[i], '\t', 2);
        const std::string& heard = parts[0];
        const std::string replacement = parts.size() > 1 ? parts[1] : "";
        rules.emplace_back(Uuid::generate(), heard, replacement);
        rules.emplace_back(heard, replacement);
    }
    const std::string once = Correction::apply(rules, lines[0]);
    fuzz::requireValidUtf8(once, "applied text is UTF-8");
    fuzz::require(Correction::apply(rules, lines[0]) == once, "apply is a pure function");
    return 0;
}
