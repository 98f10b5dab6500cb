// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

// One HTTP request written as raw bytes to a loopback port and its response,
// read as far as it comes: status, head and body (by Content-Length, or up to
// the close).
class HttpExchange : public QObject
{
    Q_OBJECT

public:
    HttpExchange(quint16 port, const QByteArray &request, QObject *parent = nullptr);

    bool is_done() const { return done; }
    int status() const { return status_code; }
    QByteArray head() const { return response_head; }
    QByteArray body() const { return response_body; }
    // The value of a response header, compared case-insensitively by name.
    QByteArray header(const QByteArray &name) const;

signals:
    void finished();

private:
    void take_bytes();
    void finish();

    QTcpSocket socket;
    QByteArray received;
    QByteArray response_head;
    QByteArray response_body;
    int status_code = 0;
    qint64 content_length = -1;
    bool done = false;
};

// A POST of body to "/", as the game sends it unless content_type says otherwise.
QByteArray post_request(const QByteArray &body,
                        const QByteArray &content_type = "application/x-www-form-urlencoded");
QByteArray get_request(const QByteArray &path);

struct HttpResult
{
    int status = 0; // 0 when no whole response came
    QByteArray head;
    QByteArray body;
};
// Sends request and waits (generously) for the whole response.
HttpResult http_exchange(quint16 port, const QByteArray &request);
