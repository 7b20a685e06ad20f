// Updater::install and its steps: the longest road of the updater, kept apart from checking.
#include "update/Updater.h"

#include "update/ArchiveUnpacker.h"
#include "update/BundleSwap.h"
#include "update/ElfMachine.h"
#include "update/HttpTransfer.h"
#include "update/MinisignSignature.h"
#include "update/StagingFolder.h"
#include "update/UpdateAddress.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvarn::update {

namespace {

constexpr qint64 kMaxArchiveSize = qint64{2} * 1024 * 1024 * 1024;
constexpr qint64 kMaxSignatureSize = 64 * 1024;

std::string quoted(const std::filesystem::path& path) {
    return "“" + path.string() + "”";
}

Error updateFailed(const std::string& detail) {
    return Error{"Update failed: " + detail};
}

Error badKey() {
    return Error{"This Kelvarn can't install updates: its update key isn't a minisign public key."};
}

// What an install whose updater went meanwhile ends with; nobody reads it.
Error abandoned() {
    return Error{"The updater is gone."};
}

Error notNewer() {
    return Error{"The downloaded app isn't a newer Kelvarn."};
}

Error noProgram() {
    return Error{"The downloaded app has no program this computer can run."};
}

Error notWritable(const std::filesystem::path& folder) {
    return Error{"Kelvarn can't replace itself in " + quoted(folder) +
                 " because that folder isn't writable. Move Kelvarn to a folder you own, then "
                 "open it from there and update again."};
}

Result<void> checkSignature(const QString& key, const QByteArray& signature,
                            const std::filesystem::path& archive) {
    switch (checkMinisignSignature(key, signature, archive)) {
    case SignatureCheck::valid:
        return {};
    case SignatureCheck::badKey:
        return badKey();
    case SignatureCheck::otherKey:
        return Error{"The download isn't signed with Kelvarn's update key."};
    case SignatureCheck::unreadable:
        return updateFailed("the download couldn't be read.");
    case SignatureCheck::malformed:
    case SignatureCheck::invalid:
        break;
    }
    return Error{"The download's signature isn't valid."};
}

QCoro::Task<Result<void>> download(std::shared_ptr<QNetworkAccessManager> network, QUrl url,
                                   std::filesystem::path path,
                                   std::shared_ptr<const TransferStop> stop) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        co_return updateFailed(file.errorString().toStdString());
    }
    const HttpResult fetched =
        co_await httpGet(std::move(network), url, kMaxArchiveSize, &file, std::move(stop));
    file.close();
    switch (fetched.outcome) {
    case HttpResult::Outcome::ok:
        co_return Result<void>{};
    case HttpResult::Outcome::failed:
        co_return updateFailed(fetched.error.toStdString());
    case HttpResult::Outcome::unwritable:
        co_return updateFailed(file.errorString().toStdString());
    case HttpResult::Outcome::notOk:
    case HttpResult::Outcome::cut:
    case HttpResult::Outcome::tooLarge:
    case HttpResult::Outcome::stopped:
        break;
    }
    co_return Error{"Download failed."};
}

QCoro::Task<Result<QByteArray>> downloadSignature(std::shared_ptr<QNetworkAccessManager> network,
                                                  QUrl archive,
                                                  std::shared_ptr<const TransferStop> stop) {
    QUrl url = archive;
    url.setPath(archive.path() + ".minisig");
    const HttpResult fetched =
        co_await httpGet(std::move(network), url, kMaxSignatureSize, nullptr, std::move(stop));
    switch (fetched.outcome) {
    case HttpResult::Outcome::ok:
        co_return fetched.body;
    case HttpResult::Outcome::notOk:
        co_return Error{"The download has no signature."};
    case HttpResult::Outcome::failed:
        co_return updateFailed(fetched.error.toStdString());
    case HttpResult::Outcome::cut:
    case HttpResult::Outcome::tooLarge:
    case HttpResult::Outcome::unwritable:
    case HttpResult::Outcome::stopped:
        break;
    }
    co_return Error{"Download failed."};
}

} // namespace

QCoro::Task<> Updater::install() {
    const auto* available = std::get_if<state::Available>(&m_state);
    if (available == nullptr || !m_bundle.file.updateUrl) {
        co_return;
    }
    const Manifest manifest = available->manifest;
    setState(state::Installing{});
    m_installStop = std::make_shared<TransferStop>();
    m_stopReason.reset();
    QPointer self(this);
    const Result<void> installed = co_await installBuild(manifest);
    if (!self) {
        co_return;
    }
    m_downloadLimit.stop();
    m_installStop.reset();
    if (!installed) {
        setState(state::Failed{QString::fromStdString(installed.error())});
    }
}

void Updater::cancel() {
    if (std::holds_alternative<state::Installing>(m_state)) {
        stopInstall("Update cancelled.");
    }
}

void Updater::stopInstall(std::string reason) {
    if (!m_installStop || m_stopReason) {
        return;
    }
    m_stopReason = std::move(reason);
    m_installStop->stop();
}

QCoro::Task<Result<void>> Updater::installBuild(Manifest manifest) {
    if (!m_bundle.location) {
        co_return Error{"Not running from an app bundle."};
    }
    const std::filesystem::path bundle = *m_bundle.location;
    const std::filesystem::path parent = bundle.parent_path();
    // Moving the bundle folder between folders rewrites its "..", so it must be writable too.
    if (::access(bundle.c_str(), W_OK) != 0) {
        co_return notWritable(bundle);
    }
    if (!m_bundle.file.publicKey) {
        co_return Error{"This Kelvarn can't install updates: its bundle has no update key "
                        "(KelvarnUpdatePublicKey)."};
    }
    if (!isMinisignPublicKey(*m_bundle.file.publicKey)) {
        co_return badKey();
    }
    const auto url = archiveUrl(*m_bundle.file.updateUrl, manifest.url);
    if (!url) {
        co_return updateFailed("the update's address “" + manifest.url.toStdString() +
                               "” isn't a web address.");
    }
    auto created = StagingFolder::createIn(parent);
    if (!created) {
        const int reason = errno;
        if (reason == EACCES || reason == EPERM || reason == EROFS) {
            co_return notWritable(parent);
        }
        co_return updateFailed(std::strerror(reason));
    }
    // Removed on every way out of here, the old bundle with it after the swap.
    StagingFolder staging = std::move(*created);

    const auto archive = staging.path() / "update.zip";
    QPointer self(this);
    m_downloadLimit.start();
    const Result<void> downloaded = co_await download(m_network, *url, archive, m_installStop);
    if (!self) {
        co_return abandoned();
    }
    if (m_stopReason) {
        co_return Error{*m_stopReason};
    }
    if (!downloaded) {
        co_return downloaded;
    }
    const Result<QByteArray> signature = co_await downloadSignature(m_network, *url, m_installStop);
    if (!self) {
        co_return abandoned();
    }
    m_downloadLimit.stop();
    if (m_stopReason) {
        co_return Error{*m_stopReason};
    }
    if (!signature) {
        co_return Error{signature.error()};
    }
    if (auto checked = checkSignature(*m_bundle.file.publicKey, signature.value(), archive);
        !checked) {
        co_return checked;
    }

    const auto unpacked = staging.path() / "unpacked";
    std::error_code error;
    std::filesystem::create_directory(unpacked, error);
    if (error) {
        co_return updateFailed(error.message());
    }
    // Off the main thread: a large bundle takes a while to write.
    const QFuture<Result<void>> unpacking = QtConcurrent::run(
        [archive, unpacked] { return unpackArchive(archive, unpacked, kMaxUnpackedBytes); });
    const Result<void> done = co_await unpacking;
    if (!self) {
        co_return abandoned();
    }
    if (m_stopReason) {
        co_return Error{*m_stopReason};
    }
    if (!done) {
        co_return done;
    }
    const auto newBundle = findUnpackedBundle(unpacked);
    if (!newBundle) {
        co_return Error{"The download didn't contain an app."};
    }
    if (auto checked = checkUnpackedBundle(*newBundle); !checked) {
        co_return checked;
    }
    if (auto swapped = exchangeFolders(*newBundle, bundle); !swapped) {
        co_return updateFailed(swapped.error());
    }
    staging.remove();
    if (auto relaunched = m_relauncher.relaunch(bundle); !relaunched) {
        co_return updateFailed(relaunched.error());
    }
    co_return Result<void>{};
}

Result<void> Updater::checkUnpackedBundle(const std::filesystem::path& bundle) const {
    const auto file = readBundleFile(bundle);
    if (!file || !file->identifier || file->identifier != m_bundle.file.identifier ||
        !file->build || *file->build <= currentBuild()) {
        return notNewer();
    }
    // Installing a bundle that cannot start would leave no program to take the next update.
    const auto machine = runningElfMachine();
    if (!machine || !isProgramFor(bundle / "bin" / "kelvarn", *machine)) {
        return noProgram();
    }
    return {};
}

} // namespace kelvarn::update
