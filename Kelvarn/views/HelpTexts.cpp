#include "views/HelpTexts.h"

#include "model/Level.h"
#include "model/SectionID.h"

#include <QStringList>

namespace kelvarn::views {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString firstAlias(SectionID section) {
    return QString::fromStdString(sections::spokenAliases(section).front());
}

} // namespace

HelpTexts helpTexts() {
    HelpTexts texts;
    texts.exampleName = QStringLiteral("Nadia Ford");
    texts.example = QStringLiteral("“%1, %2, %3.”")
                        .arg(texts.exampleName, firstAlias(SectionID::conclusion),
                             text(levels::rawValue(Level::mostly)));
    QStringList words;
    for (const SectionID section : sections::allCases) {
        words.push_back(firstAlias(section));
    }
    texts.sections = words.join(QStringLiteral(", ")) + QStringLiteral(", thesis, claims, style…");
    return texts;
}

} // namespace kelvarn::views
