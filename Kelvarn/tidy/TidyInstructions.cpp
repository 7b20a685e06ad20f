#include "tidy/TidyInstructions.h"

#include "tidy/NameRedaction.h"

#include "settings/Preferences.h"

namespace kelvarn::tidy {

QString defaultInstructions() {
    return QStringLiteral(
        "You clean up a teaching assistant's dictated essay-grading notes (speech-to-text "
        "output).\n"
        "For each note: remove filler words and false starts, and fix punctuation, "
        "capitalization and obvious speech-recognition mistakes. Do NOT add new feedback, change "
        "the meaning, soften or strengthen judgments, or summarize. Keep it in the TA's voice.");
}

QString replyFormatSuffix() {
    return QStringLiteral("Input: a JSON object mapping rubric sections to notes. ") +
           QString::fromUtf8(placeholder.data(), static_cast<qsizetype>(placeholder.size())) +
           QStringLiteral(" stands for the student's name; keep it exactly as written.\n"
                          "Reply with ONLY a JSON object with exactly the same keys, no prose, no "
                          "code fences.");
}

QString instructions(const Preferences& preferences) {
    const QString stored = preferences.string(QLatin1String(instructionsKey)).value_or(QString());
    // QString::trimmed knows Unicode white space and line breaks.
    return stored.trimmed().isEmpty() ? defaultInstructions() : stored;
}

void setInstructions(Preferences& preferences, const QString& text) {
    if (text == defaultInstructions()) {
        preferences.remove(QLatin1String(instructionsKey));
    } else {
        preferences.setString(QLatin1String(instructionsKey), text);
    }
}

QString systemPrompt(const QString& instructions) {
    return instructions + QStringLiteral("\n\n") + replyFormatSuffix();
}

} // namespace kelvarn::tidy
