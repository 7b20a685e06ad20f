#include "app/UpdaterObject.h"

#include "app/Assign.h"

#include <type_traits>
#include <variant>

namespace kelvarn::app {

namespace {

QString updateStateKey(const update::UpdateState& state) {
    return std::visit(
        [](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, update::state::Available>) {
                return QStringLiteral("available");
            } else if constexpr (std::is_same_v<T, update::state::Failed>) {
                return QStringLiteral("failed");
            } else if constexpr (std::is_same_v<T, update::state::Checking>) {
                return QStringLiteral("checking");
            } else if constexpr (std::is_same_v<T, update::state::UpToDate>) {
                return QStringLiteral("upToDate");
            } else if constexpr (std::is_same_v<T, update::state::Installing>) {
                return QStringLiteral("installing");
            } else {
                return QStringLiteral("idle");
            }
        },
        state);
}

} // namespace

UpdaterObject::UpdaterObject(update::Updater& updater, QObject* parent)
    : QObject(parent), m_updater(updater) {
    refresh();
    connect(&updater, &update::Updater::stateChanged, this, &UpdaterObject::refresh);
}

void UpdaterObject::setIdle() {
    // An install owns the state until it ends: it restarts the application or fails.
    if (std::holds_alternative<update::state::Installing>(m_updater.state())) {
        return;
    }
    m_updater.setState(update::state::Idle{});
}

void UpdaterObject::install() {
    QCoro::connect(m_updater.install(), this, [] {});
}

void UpdaterObject::check() {
    QCoro::connect(m_updater.check(true), this, [] {});
}

void UpdaterObject::cancel() {
    m_updater.cancel();
}

void UpdaterObject::refresh() {
    const update::UpdateState& state = m_updater.state();
    const auto* available = std::get_if<update::state::Available>(&state);
    const auto* failed = std::get_if<update::state::Failed>(&state);
    if (assign(m_state, updateStateKey(state))) {
        emit stateChanged();
    }
    if (assign(m_version, available != nullptr ? available->manifest.version : QString())) {
        emit versionChanged();
    }
    if (assign(m_notes,
               available != nullptr ? available->manifest.notes.value_or(QString()) : QString())) {
        emit notesChanged();
    }
    if (assign(m_failureMessage, failed != nullptr ? failed->message : QString())) {
        emit failureMessageChanged();
    }
}

} // namespace kelvarn::app
