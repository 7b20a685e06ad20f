#pragma once

#include "update/TransferStop.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <memory>

class QIODevice;
class QNetworkAccessManager;

namespace kelvarn::update {

// How one GET ended.
struct HttpResult {
    enum class Outcome {
        ok,         // status 200 and the whole body
        notOk,      // the server answered with another status
        failed,     // no answer: refused, unreachable, timed out (`error` says which)
        cut,        // status 200 but the body ended early or the connection broke
        tooLarge,   // more than the caller's limit
        unwritable, // the body could not be written to the caller's file
        stopped,    // the caller's stop came first
    };
    Outcome outcome = Outcome::failed;
    QString error;
    QByteArray body; // when no sink was given
};

// GETs a URL with a 60-second transfer timeout, the local cache ignored and redirects
// followed (never from https to http). The body goes to `sink` when one is given, otherwise
// into the result; more than `maxBytes` aborts the transfer. The transfer keeps its share of the
// manager and owns its reply, so it may outlive whoever started it; the sink must live until it
// ends. A `stop` aborts it.
QCoro::Task<HttpResult> httpGet(std::shared_ptr<QNetworkAccessManager> network, QUrl url,
                                qint64 maxBytes, QIODevice* sink = nullptr,
                                std::shared_ptr<const TransferStop> stop = nullptr);

} // namespace kelvarn::update
