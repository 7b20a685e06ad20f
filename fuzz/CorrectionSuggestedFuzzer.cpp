// Correction::suggested on an arbitrary heard and corrected text (split at the first NUL or
// line feed), and the suggested rule applied and parsed as the fix popover does.
#include "FuzzChecks.h"
#include "language/CommandParser.h"
#include "language/Correction.h"
#include "support/Unicode.h"

using namespace kelvarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t at = input.find('\0');
    if (at == std::string_view::npos) {
        at = input.find('\n');
    }
    const std::string_view heard = input.substr(0, at);
    const std::string_view corrected =
        at == std::string_view::npos ? std::string_view() : input.substr(at + 1);
    const std::optional<Correction> rule = Correction::suggested(heard, corrected);
    if (!rule) {
        return 0;
    }
    fuzz::require(!rule->heard.empty() && !rule->replacement.empty(), "both sides non-empty");
    fuzz::require(Correction::normalised(rule->heard) == rule->heard, "heard is normalised");
    fuzz::require(unicode::trimWhitespace(rule->replacement) == rule->replacement,
                  "replacement is trimmed");
    fuzz::require(Correction::normalised(rule->replacement) != rule->heard,
                  "more than a cosmetic change");
    fuzz::requireValidUtf8(rule->replacement, "replacement is UTF-8");
    fuzz::requireValidUtf8(Correction::apply({*rule}, heard), "applied text is UTF-8");
    static const CommandParser parser({{Uuid::generate(), "Nadia Ford"}});
    (void)parser.parseSentence(rule->replacement);
    return 0;
}
