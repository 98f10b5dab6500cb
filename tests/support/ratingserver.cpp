// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/ratingserver.h"

#include "constants.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>

struct RatingServer::Connection
{
    QTcpSocket *socket = nullptr;
    QByteArray buffer;         // bytes of the request not yet taken apart
    QTimer *trickle = nullptr; // paces a trickled answer
    QByteArray unsent;         // rest of a trickled answer
};

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &field : headers) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return {};
}

ScriptedReply ScriptedReply::answer(const QByteArray &body, int status)
{
    ScriptedReply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

ScriptedReply ScriptedReply::trickle(const QByteArray &body, int chunk_size, int chunk_interval_ms)
{
    ScriptedReply reply = answer(body);
    reply.kind = Kind::Trickle;
    reply.chunk_size = chunk_size;
    reply.chunk_interval_ms = chunk_interval_ms;
    return reply;
}

ScriptedReply ScriptedReply::stall()
{
    ScriptedReply reply;
    reply.kind = Kind::Stall;
    return reply;
}

ScriptedReply ScriptedReply::reset()
{
    ScriptedReply reply;
    reply.kind = Kind::Reset;
    return reply;
}

RatingServer::RatingServer(QObject *parent) : QObject(parent)
{
    // Qt takes proxies from the environment; a proxy would never reach us.
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        qunsetenv(name);
}

RatingServer::~RatingServer()
{
    close();
}

bool RatingServer::listen()
{
    const QUrl endpoint(QString::fromLatin1(quiverbolt::rating_url));
    const quint16 port = static_cast<quint16>(endpoint.port(80));
    QList<QHostAddress> addresses;
    if (endpoint.host() == QLatin1String("localhost")) {
        addresses = {QHostAddress(QHostAddress::LocalHost),
                     QHostAddress(QHostAddress::LocalHostIPv6)};
    } else {
        const QHostAddress literal(endpoint.host());
        addresses = literal.isNull() ? QHostInfo::fromName(endpoint.host()).addresses()
                                     : QList<QHostAddress>{literal};
    }

    QStringList failures;
    for (const QHostAddress &address : qAsConst(addresses)) {
        auto *server = new QTcpServer(this);
        if (!server->listen(address, port)) {
            failures << address.toString() + QStringLiteral(": ") + server->errorString();
            delete server;
            continue;
        }
        connect(server, &QTcpServer::newConnection, this,
                [this, server] { accept_connections(server); });
        servers << server;
    }
    error = failures.join(QStringLiteral("; "));
    if (addresses.isEmpty())
        error = QStringLiteral("no address for ") + endpoint.host();
    return !servers.isEmpty();
}

void RatingServer::close()
{
    while (!connections.isEmpty()) {
        Connection *connection = connections.first();
        connection->socket->disconnect(this);
        connection->socket->abort();
        drop(connection);
    }
    qDeleteAll(servers);
    servers.clear();
}

void RatingServer::queue_reply(const ScriptedReply &reply, int times)
{
    for (int i = 0; i < times; ++i)
        script << reply;
}

void RatingServer::clear()
{
    script.clear();
    received.clear();
}

void RatingServer::accept_connections(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *connection = new Connection;
        connection->socket = socket;
        connections << connection;
        connect(socket, &QTcpSocket::readyRead, this,
                [this, connection] { read_request(connection); });
        connect(socket, &QTcpSocket::disconnected, this, [this, connection] { drop(connection); });
    }
}

void RatingServer::read_request(Connection *connection)
{
    connection->buffer += connection->socket->readAll();
    const int head_end = connection->buffer.indexOf("\r\n\r\n");
    if (head_end < 0)
        return;

    const QList<QByteArray> lines = connection->buffer.left(head_end).split('\n');
    RecordedRequest request;
    const QList<QByteArray> request_line = lines.first().trimmed().split(' ');
    request.method = request_line.value(0);
    request.path = request_line.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers << qMakePair(lines[i].left(colon).trimmed(),
                                         lines[i].mid(colon + 1).trimmed());
    }
    const int length = request.header("Content-Length").toInt();
    const int body_start = head_end + 4;
    if (connection->buffer.size() < body_start + length)
        return;
    request.body = connection->buffer.mid(body_start, length);
    connection->buffer.remove(0, body_start + length);

    received << request;
    const ScriptedReply reply = script.isEmpty() ? ScriptedReply::answer({}) : script.takeFirst();
    emit request_received(received.size() - 1);
    answer(connection, reply);
}

void RatingServer::answer(Connection *connection, const ScriptedReply &reply)
{
    QTcpSocket *socket = connection->socket;
    switch (reply.kind) {
    case ScriptedReply::Kind::Stall:
        return;
    case ScriptedReply::Kind::Reset: {
        // A zero linger time makes the close send a reset instead of a
        // clean end of stream.
        const linger hard{1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                     sizeof hard);
        socket->abort();
        return;
    }
    case ScriptedReply::Kind::Answer:
    case ScriptedReply::Kind::Trickle:
        break;
    }

    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\n" +
                       "Content-Type: text/xml; charset=utf-8\r\n" +
                       "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n" +
                       "Connection: close\r\n\r\n" + reply.body;
    if (reply.kind == ScriptedReply::Kind::Answer) {
        socket->write(bytes);
        socket->disconnectFromHost();
        return;
    }

    connection->unsent = bytes;
    connection->trickle = new QTimer(socket);
    connect(connection->trickle, &QTimer::timeout, socket, [connection, reply] {
        connection->socket->write(connection->unsent.left(reply.chunk_size));
        connection->unsent.remove(0, reply.chunk_size);
        if (connection->unsent.isEmpty()) {
            connection->trickle->stop();
            connection->socket->disconnectFromHost();
        }
    });
    connection->trickle->start(reply.chunk_interval_ms);
}

void RatingServer::drop(Connection *connection)
{
    connections.removeOne(connection);
    if (connection->trickle)
        connection->trickle->stop();
    connection->socket->deleteLater();
    delete connection;
}
