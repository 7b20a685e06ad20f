#pragma once

#include "update/Relauncher.h"
#include "update/RunningBundle.h"
#include "update/SystemVersion.h"
#include "update/UpdateState.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>

#include <QCoroTask>

#include <chrono>

namespace kelvarn::update {

// Keeps the installed bundle current from the update folder its bundle file names. Lives on
// the main thread for the life of the process; checks and installs are coroutines that
// suspend at every network call, so they may interleave at those points.
class Updater final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kCheckInterval{21'600};

    Updater(RunningBundle bundle, SystemVersion system, Relauncher& relauncher,
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

    // One quiet check now, then one every kCheckInterval.
    void startAutomaticChecks();

signals:
    void stateChanged();

private:
    QCoro::Task<Result<Manifest>> fetchManifest();
    QCoro::Task<Result<void>> installBuild(Manifest manifest);
    QCoro::Task<Result<void>> download(QUrl url, std::filesystem::path file);
    QCoro::Task<Result<QByteArray>> downloadSignature(QUrl archive);
    Result<void> checkUnpackedBundle(const std::filesystem::path& bundle) const;

    RunningBundle m_bundle;
    SystemVersion m_system;
    Relauncher& m_relauncher;
    UpdateState m_state{state::Idle{}};
    QNetworkAccessManager m_network;
    QTimer m_timer{this};
};

} // namespace kelvarn::update
