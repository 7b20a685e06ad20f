// The comment bank's two file forms from arbitrary bytes: comments.json decodes and writes back
// as the same comments, and a CSV someone shared reads without crashing into comments that
// survive their own export.
#include "FuzzChecks.h"
#include "persistence/CommentCsv.h"
#include "persistence/CommentJson.h"

using namespace kelvarn;

namespace {

bool sameNamesAndTexts(const std::vector<Comment>& a, const std::vector<Comment>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].text != b[i].text) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto comments = decodeComments(bytes)) {
        const std::string again = encodeComments(comments.value());
        fuzz::requireValidUtf8(again, "encoded comments are UTF-8");
        const auto reread = decodeComments(again);
        fuzz::require(reread && reread.value() == comments.value(), "comments round-trip");
    }
    const commentCsv::Parsed parsed = commentCsv::parse(bytes);
    const std::string csv = commentCsv::csv(parsed.comments);
    fuzz::requireValidUtf8(csv, "exported comments are UTF-8");
    fuzz::require(sameNamesAndTexts(commentCsv::parse(csv).comments, parsed.comments),
                  "imported comments survive their export");
    return 0;
}
