#pragma once

#include <QString>

#include <string>

namespace kelvarn::app {

// A feed line as the panel draws it. The pause and resume lines begin with media glyphs ("⏸",
// "▶︎") that the desktop's fonts often lack and draw as empty boxes: the panel shows one of its
// own symbols in their place. The line itself, as logged, keeps them.
struct ShownFeedText {
    QString symbol; // empty: the symbol of the line's kind
    QString text;
};

ShownFeedText shownFeedText(const std::string& line);

} // namespace kelvarn::app
