// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/httpexchange.h"

#include <QHostAddress>
#include <QSignalSpy>

namespace {

constexpr int exchange_limit_ms = 30000;

} // namespace

HttpExchange::HttpExchange(quint16 port, const QByteArray &request, QObject *parent)
    : QObject(parent)
{
    connect(&socket, &QTcpSocket::connected, this, [this, request] { socket.write(request); });
    connect(&socket, &QTcpSocket::readyRead, this, &HttpExchange::take_bytes);
    connect(&socket, &QTcpSocket::disconnected, this, &HttpExchange::finish);
    connect(&socket, &QTcpSocket::errorOccurred, this, &HttpExchange::finish);
    socket.connectToHost(QHostAddress::LocalHost, port);
}

QByteArray HttpExchange::header(const QByteArray &name) const
{
    for (const QByteArray &line : response_head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

void HttpExchange::take_bytes()
{
    received += socket.readAll();
    if (content_length < 0) {
        const int end = received.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        response_head = received.left(end);
        received.remove(0, end + 4);
        const QList<QByteArray> status_line =
            response_head.left(response_head.indexOf('\r')).split(' ');
        status_code = status_line.value(1).toInt();
        const QByteArray length = header("Content-Length");
        content_length =
            length.isEmpty() ? std::numeric_limits<qint64>::max() : length.toLongLong();
    }
    if (received.size() >= content_length) {
        response_body = received.left(static_cast<int>(content_length));
        finish();
    }
}

void HttpExchange::finish()
{
    if (done)
        return;
    if (content_length >= 0 && response_body.isEmpty())
        response_body = received;
    if (content_length < 0)
        status_code = 0;
    done = true;
    socket.abort();
    emit finished();
}

QByteArray post_request(const QByteArray &body, const QByteArray &content_type)
{
    QByteArray request = "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!content_type.isEmpty())
        request += "Content-Type: " + content_type + "\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n";
    return request + body;
}

QByteArray get_request(const QByteArray &path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

HttpResult http_exchange(quint16 port, const QByteArray &request)
{
    HttpExchange exchange(port, request);
    QSignalSpy finished(&exchange, &HttpExchange::finished);
    if (!exchange.is_done())
        finished.wait(exchange_limit_ms);
    HttpResult result;
    if (exchange.is_done()) {
        result.status = exchange.status();
        result.head = exchange.head();
        result.body = exchange.body();
    }
    return result;
}
