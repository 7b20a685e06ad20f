#include "update/Updater.h"

#include "update/HttpTransfer.h"
#include "update/StagingFolder.h"
#include "update/UpdateAddress.h"

#include <QNetworkAccessManager>
#include <QPointer>

#include <utility>

namespace kelvarn::update {

namespace {

// version.json is a few lines; a server sending more is not serving a manifest.
constexpr qint64 kMaxManifestSize = 1024 * 1024;

QCoro::Task<Result<Manifest>> fetchManifest(std::shared_ptr<QNetworkAccessManager> network,
                                            QUrl folder) {
    const HttpResult fetched =
        co_await httpGet(std::move(network), manifestUrl(folder), kMaxManifestSize);
    switch (fetched.outcome) {
    case HttpResult::Outcome::ok:
        co_return decodeManifest(fetched.body);
    case HttpResult::Outcome::notOk:
        co_return Error{"Update server unavailable."};
    case HttpResult::Outcome::tooLarge:
        co_return Error{"The update information is too large."};
    case HttpResult::Outcome::failed:
    case HttpResult::Outcome::cut:
    case HttpResult::Outcome::unwritable:
    case HttpResult::Outcome::stopped:
        break;
    }
    co_return Error{fetched.error.toStdString()};
}

} // namespace

Updater::Updater(RunningBundle bundle, SystemVersion system, Relauncher& relauncher,
                 std::chrono::milliseconds downloadTimeLimit, QObject* parent)
    : QObject(parent), m_bundle(std::move(bundle)), m_system(system), m_relauncher(relauncher),
      m_network(std::make_shared<QNetworkAccessManager>()) {
    m_downloadLimit.setSingleShot(true);
    m_downloadLimit.setInterval(downloadTimeLimit);
    connect(&m_downloadLimit, &QTimer::timeout, this,
            [this] { stopInstall("Update failed: the download took too long."); });
    if (m_bundle.location) {
        StagingFolder::removeAbandonedIn(m_bundle.location->parent_path());
    }
    m_timer.setInterval(kCheckInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] { check(false); });
}

void Updater::setState(UpdateState state) {
    if (state == m_state) {
        return;
    }
    m_state = std::move(state);
    emit stateChanged();
}

QCoro::Task<> Updater::check(bool userInitiated) {
    if (!m_bundle.file.updateUrl || std::holds_alternative<state::Installing>(m_state)) {
        co_return;
    }
    setState(state::Checking{});
    QPointer self(this);
    const Result<Manifest> manifest = co_await fetchManifest(m_network, *m_bundle.file.updateUrl);
    // Nobody to tell; or an install that began meanwhile owns the state until it ends.
    if (!self || std::holds_alternative<state::Installing>(m_state)) {
        co_return;
    }
    if (!manifest) {
        setState(userInitiated
                     ? UpdateState{state::Failed{"Couldn't check for updates: " +
                                                 QString::fromStdString(manifest.error())}}
                     : UpdateState{state::Idle{}});
        co_return;
    }
    if (manifest.value().build > currentBuild() &&
        systemSupports(manifest.value().minimumSystemVersion, m_system)) {
        setState(state::Available{manifest.value()});
    } else if (userInitiated) {
        setState(state::UpToDate{});
    } else {
        setState(state::Idle{});
    }
}

void Updater::startAutomaticChecks() {
    check(false);
    m_timer.start();
}

} // namespace kelvarn::update
