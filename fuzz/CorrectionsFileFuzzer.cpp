// corrections.json from arbitrary bytes: decoding never crashes, and what decodes is written
// back compact and reads again as the same rules.
#include "FuzzChecks.h"
#include "language/CorrectionJson.h"

using namespace kelvarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto rules = decodeCorrections(bytes);
    if (rules) {
        const std::string again = encodeCorrections(rules.value());
        fuzz::requireValidUtf8(again, "encoded rules are UTF-8");
        const auto reread = decodeCorrections(again);
        fuzz::require(reread && reread.value() == rules.value(), "rules round-trip");
    }
    return 0;
}
