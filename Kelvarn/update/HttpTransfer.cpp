#include "update/HttpTransfer.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <QCoroSignal>

#include <memory>

namespace kelvarn::update {

namespace {

constexpr int kTransferTimeoutMs = 60'000;

} // namespace

QCoro::Task<HttpResult> httpGet(std::shared_ptr<QNetworkAccessManager> network, QUrl url,
                                qint64 maxBytes, QIODevice* sink,
                                std::shared_ptr<const TransferStop> stop) {
    HttpResult result;
    if (stop && stop->isStopped()) {
        result.outcome = HttpResult::Outcome::stopped;
        co_return result;
    }
    qint64 received = 0;
    bool tooLarge = false;
    bool unwritable = false;

    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // The transfer is the reply's one owner; the manager, shared, outlives it.
    const std::unique_ptr<QNetworkReply> reply(network->get(request));
    reply->setParent(nullptr);

    const auto take = [&] {
        // An aborted reply is closed, and has nothing more to read.
        if (!reply->isOpen()) {
            return;
        }
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty() || tooLarge || unwritable) {
            return;
        }
        received += chunk.size();
        if (received > maxBytes) {
            tooLarge = true;
        } else if (sink != nullptr) {
            unwritable = sink->write(chunk) != chunk.size();
        } else {
            result.body += chunk;
        }
        if (tooLarge || unwritable) {
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), take);
    if (stop) {
        QObject::connect(stop.get(), &TransferStop::stopped, reply.get(),
                         [&reply] { reply->abort(); });
    }
    if (!reply->isFinished()) {
        // Resumed from the event loop (the connection is queued), never inside the reply's own
        // signal or abort(): both would return into a reply this transfer has deleted.
        co_await qCoro(reply.get(), &QNetworkReply::finished);
    }
    take();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    // Qt unpacks compressed bodies itself; the announced length is then the packed one.
    const bool lengthComparable = reply->rawHeader("Content-Encoding").isEmpty();
    if (stop && stop->isStopped()) {
        result.outcome = HttpResult::Outcome::stopped;
    } else if (tooLarge) {
        result.outcome = HttpResult::Outcome::tooLarge;
    } else if (unwritable) {
        result.outcome = HttpResult::Outcome::unwritable;
    } else if (status.isValid() && status.toInt() != 200) {
        result.outcome = HttpResult::Outcome::notOk;
    } else if (!status.isValid()) {
        result.outcome = HttpResult::Outcome::failed;
        result.error = reply->errorString();
    } else if (reply->error() != QNetworkReply::NoError ||
               (announced.isValid() && lengthComparable && announced.toLongLong() != received)) {
        result.outcome = HttpResult::Outcome::cut;
        result.error = reply->error() != QNetworkReply::NoError
                           ? reply->errorString()
                           : QStringLiteral("The connection closed before the whole answer came.");
    } else {
        result.outcome = HttpResult::Outcome::ok;
    }
    if (result.outcome != HttpResult::Outcome::ok) {
        result.body.clear();
    }
    co_return result;
}

} // namespace kelvarn::update
