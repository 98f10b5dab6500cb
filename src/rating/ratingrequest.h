// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "constants.h"

#include <QByteArray>

class QNetworkAccessManager;
class QNetworkReply;

// Posts a rating request body to the rating server's endpoint as a form body.
// The reply is abandoned (aborted) once it grows beyond the reply size limit,
// or when it has not finished deadline_ms after it was sent, whether the
// server went silent or trickles its answer. The manager's finished() signal
// reports the reply either way.
QNetworkReply *post_submission(QNetworkAccessManager &manager, const QByteArray &body,
                               int deadline_ms = quiverbolt::reply_deadline_ms);

// The body of a finished reply that the reply reader may read: empty for a
// reply that was abandoned or that is larger than the reply size limit, so
// that it counts as a failed request. HTTP error replies keep their body.
QByteArray reply_body(QNetworkReply &reply);
