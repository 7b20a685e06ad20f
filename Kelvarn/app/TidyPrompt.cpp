#include "app/TidyPrompt.h"

#include "tidy/NameRedaction.h"
#include "tidy/TidyInstructions.h"

namespace kelvarn::app {

TidyPrompt::TidyPrompt(Preferences& preferences, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_text(tidy::instructions(preferences)) {}

bool TidyPrompt::isDefault() const {
    return m_text == tidy::defaultInstructions();
}

QString TidyPrompt::placeholder() const {
    return QString::fromUtf8(tidy::placeholder.data(),
                             static_cast<qsizetype>(tidy::placeholder.size()));
}

void TidyPrompt::edit(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    tidy::setInstructions(m_preferences, m_text);
    emit textChanged();
}

void TidyPrompt::resetToDefault() {
    edit(tidy::defaultInstructions());
}

} // namespace kelvarn::app
