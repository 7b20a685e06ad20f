#pragma once

#include <QString>

namespace kelvarn {
class Preferences;
}

namespace kelvarn::tidy {

// The instructions the tool follows, editable by the user and kept in the preferences; the
// default is never stored, so a changed default reaches everyone who did not edit it.
QString defaultInstructions();
// Always appended, so the reply can be read whatever the user wrote.
QString replyFormatSuffix();
inline constexpr auto instructionsKey = "tidyInstructions";

// The stored text as stored, or the default when nothing but white space is stored.
QString instructions(const Preferences& preferences);
void setInstructions(Preferences& preferences, const QString& text);

// The instructions in force, a blank line, and the reply format.
QString systemPrompt(const QString& instructions);

} // namespace kelvarn::tidy
