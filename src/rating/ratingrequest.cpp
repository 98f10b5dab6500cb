// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/ratingrequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

QNetworkReply *post_submission(QNetworkAccessManager &manager, const QByteArray &body,
                               int deadline_ms)
{
    QNetworkRequest request(QUrl(QString::fromLatin1(quiverbolt::rating_url)));
    // The server reads a form body; naming the type keeps Qt from guessing it aloud.
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = manager.post(request, body);
    // A deadline on the whole exchange: a server that sends a byte now and
    // then never trips a transfer timeout.
    QTimer::singleShot(deadline_ms, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > quiverbolt::reply_size_limit)
                             reply->abort();
                     });
    return reply;
}

QByteArray reply_body(QNetworkReply &reply)
{
    // Whatever part of an abandoned reply arrived is not read. A reply that
    // came in whole before the size check could abort it is dropped here.
    if (reply.error() == QNetworkReply::OperationCanceledError)
        return {};
    QByteArray body = reply.read(quiverbolt::reply_size_limit + 1);
    if (body.size() > quiverbolt::reply_size_limit)
        body.clear();
    return body;
}
