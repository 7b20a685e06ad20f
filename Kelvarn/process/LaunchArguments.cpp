#include "process/LaunchArguments.h"

#include <QCommandLineParser>

namespace kelvarn::process {

namespace {

// The parser lists these in --help in this order.
void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Grade a stack of essays by voice. A second launch hands its flags to the "
                       "running Kelvarn."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("say"), QStringLiteral("Act on TEXT as if it had been heard."),
         QStringLiteral("TEXT")},
        {QStringLiteral("roster"), QStringLiteral("Add the students named in FILE, one a line."),
         QStringLiteral("FILE")},
        {QStringLiteral("open-window"),
         QStringLiteral("Open the tidy, corrections, comments, help or training window."),
         QStringLiteral("NAME")},
        {QStringLiteral("update-now"), QStringLiteral("Check for an update and install it.")},
        {QStringLiteral("toggle-panel"), QStringLiteral("Show or hide the panel.")},
        {QStringLiteral("toggle-listening"), QStringLiteral("Start or stop listening.")},
    });
}

std::optional<QString> firstValue(const QCommandLineParser& parser, const QString& name) {
    const QStringList values = parser.values(name);
    if (values.isEmpty()) {
        return std::nullopt;
    }
    return values.first();
}

} // namespace

LaunchArguments LaunchArguments::parse(const QStringList& arguments) {
    LaunchArguments parsed;
    if (arguments.isEmpty()) {
        return parsed;
    }
    QCommandLineParser parser;
    describe(parser);
    // A failed parse still holds every flag it read before and after the fault, which is what
    // "ignore what is wrong" needs; the fault itself becomes the warning.
    if (!parser.parse(arguments)) {
        parsed.warning = parser.errorText();
        for (const QString& name : parser.unknownOptionNames()) {
            // The parser drops the dashes; a one-letter flag is a short one.
            parsed.unknownFlags.append(
                (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        }
    }
    parsed.say = firstValue(parser, QStringLiteral("say"));
    parsed.roster = firstValue(parser, QStringLiteral("roster"));
    parsed.openWindow = firstValue(parser, QStringLiteral("open-window"));
    parsed.updateNow = parser.isSet(QStringLiteral("update-now"));
    parsed.togglePanel = parser.isSet(QStringLiteral("toggle-panel"));
    parsed.toggleListening = parser.isSet(QStringLiteral("toggle-listening"));
    parsed.help = parser.isSet(QStringLiteral("help"));
    parsed.version = parser.isSet(QStringLiteral("version"));
    return parsed;
}

QStringList LaunchArguments::forwarded(const QDir& workingFolder) const {
    QStringList arguments{QStringLiteral("kelvarn")};
    // "--flag=VALUE": a value that starts with a dash stays a value.
    const auto add = [&](const char* flag, const std::optional<QString>& value) {
        if (value) {
            arguments.append(QStringLiteral("--") + QLatin1String(flag) + u'=' + *value);
        }
    };
    add("say", say);
    add("roster", roster ? std::optional(workingFolder.absoluteFilePath(*roster)) : std::nullopt);
    add("open-window", openWindow);
    for (const auto& [flag, set] :
         {std::pair{"update-now", updateNow}, std::pair{"toggle-panel", togglePanel},
          std::pair{"toggle-listening", toggleListening}}) {
        if (set) {
            arguments.append(QStringLiteral("--") + QLatin1String(flag));
        }
    }
    return arguments;
}

QString LaunchArguments::helpText() {
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}

} // namespace kelvarn::process
