#include "update/UpdateTexts.h"

#include "support/Overloaded.h"

namespace kelvarn::update {

std::optional<QString> bannerText(const UpdateState& state, const QString& currentVersion) {
    return std::visit(
        Overloaded{
            [](const state::Available& available) -> std::optional<QString> {
                return "Update available: " + available.manifest.version;
            },
            [](const state::Failed& failed) -> std::optional<QString> { return failed.message; },
            [](const state::Idle&) -> std::optional<QString> { return std::nullopt; },
            [](const state::Checking&) -> std::optional<QString> { return std::nullopt; },
            [&](const state::UpToDate&) -> std::optional<QString> {
                return "You're on the latest version (" + currentVersion + ").";
            },
            [](const state::Installing&) -> std::optional<QString> {
                return QStringLiteral("Installing update — the app will restart…");
            },
        },
        state);
}

QString versionLabel(const QString& version, qint64 build) {
    return "Version " + version + " (" + QString::number(build) + ")";
}

} // namespace kelvarn::update
