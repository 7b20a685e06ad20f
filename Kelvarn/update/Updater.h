#pragma once

#include "update/Relauncher.h"
#include "update/RunningBundle.h"
#include "update/SystemVersion.h"
#include "update/TransferStop.h"
#include "update/UpdateState.h"

#include <QObject>
#include <QTimer>

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

class QNetworkAccessManager;

namespace kelvarn::update {

// Keeps the installed bundle current from the update folder its bundle file names. Lives on
// the main thread for the life of the process; checks and installs are coroutines that
// suspend at every network call, so they may interleave at those points. A transfer still under
// way when the updater goes runs to its end; the check or install then finds the updater gone
// and stops there.
class Updater final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kCheckInterval{21'600};
    // For the archive and its signature together: a server that trickles them never finishes.
    static constexpr std::chrono::minutes kDownloadTimeLimit{5};

    // Removes what installs of earlier processes left beside the bundle.
    Updater(RunningBundle bundle, SystemVersion system, Relauncher& relauncher,
            std::chrono::milliseconds downloadTimeLimit = kDownloadTimeLimit,
            QObject* parent = nullptr);

    const UpdateState& state() const { return m_state; }
    // Views set it back to idle to dismiss the banner; an equal value notifies nobody.
    void setState(UpdateState state);

    QString currentVersion() const { return m_bundle.version(); }
    qint64 currentBuild() const { return m_bundle.build(); }

    // Never fails to the caller: the outcome is the new state. An automatic check stays quiet
    // (idle) when nothing is newer or when it fails.
    QCoro::Task<> check(bool userInitiated);

    // Acts only when an update is available: downloads and verifies it, swaps it for the
    // running bundle and relaunches. Never fails to the caller: a failure is the failed state,
    // and leaves the installed bundle as it was.
    QCoro::Task<> install();
    // Ends an install before it swaps the bundle: failed with "Update cancelled.", the download
    // aborted and nothing left behind. Only while installing.
    void cancel();

    // One quiet check now, then one every kCheckInterval.
    void startAutomaticChecks();

signals:
    void stateChanged();

private:
    QCoro::Task<Result<void>> installBuild(Manifest manifest);
    Result<void> checkUnpackedBundle(const std::filesystem::path& bundle) const;
    // Aborts the install's transfers; it ends, at its next step, failed with `reason`.
    void stopInstall(std::string reason);

    RunningBundle m_bundle;
    SystemVersion m_system;
    Relauncher& m_relauncher;
    UpdateState m_state{state::Idle{}};
    // Shared with the transfers under way.
    std::shared_ptr<QNetworkAccessManager> m_network;
    QTimer m_timer{this};
    QTimer m_downloadLimit{this};
    // Of the install under way, if any.
    std::shared_ptr<TransferStop> m_installStop;
    std::optional<std::string> m_stopReason;
};

} // namespace kelvarn::update
