#include "app/ShownFeedText.h"

#include <array>
#include <string_view>

namespace kelvarn::app {

ShownFeedText shownFeedText(const std::string& line) {
    struct Glyph {
        std::string_view prefix;
        const char* symbol;
    };
    // The play sign with and without the text presentation selector after it.
    static constexpr std::array glyphs{Glyph{"⏸", "pause.fill"}, Glyph{"▶︎", "play.fill"},
                                       Glyph{"▶", "play.fill"}};
    const std::string_view text(line);
    for (const Glyph& glyph : glyphs) {
        if (text.starts_with(glyph.prefix)) {
            std::string_view rest = text.substr(glyph.prefix.size());
            while (rest.starts_with(' ')) {
                rest.remove_prefix(1);
            }
            return {QString::fromLatin1(glyph.symbol),
                    QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()))};
        }
    }
    return {{}, QString::fromStdString(line)};
}

} // namespace kelvarn::app
