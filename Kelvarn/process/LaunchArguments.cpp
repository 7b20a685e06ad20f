#include "process/LaunchArguments.h"

namespace kelvarn::process {

namespace {

std::optional<QString> valueAfter(const QStringList& arguments, const QString& flag) {
    const qsizetype at = arguments.indexOf(flag);
    if (at < 0 || at + 1 >= arguments.size()) {
        return std::nullopt;
    }
    return arguments.at(at + 1);
}

} // namespace

LaunchArguments LaunchArguments::parse(const QStringList& arguments) {
    LaunchArguments parsed;
    parsed.say = valueAfter(arguments, QStringLiteral("--say"));
    parsed.roster = valueAfter(arguments, QStringLiteral("--roster"));
    parsed.openWindow = valueAfter(arguments, QStringLiteral("--open-window"));
    parsed.updateNow = arguments.contains(QStringLiteral("--update-now"));
    parsed.togglePanel = arguments.contains(QStringLiteral("--toggle-panel"));
    parsed.toggleListening = arguments.contains(QStringLiteral("--toggle-listening"));
    return parsed;
}

} // namespace kelvarn::process
