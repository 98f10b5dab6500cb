// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QTcpServer;
class QTcpSocket;

// One request as the rating server received it.
struct RecordedRequest
{
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers; // in the order they came
    QByteArray body;

    // The value of the named header (names compare without case); empty if absent.
    QByteArray header(const QByteArray &name) const;
};

// How the server answers one request.
struct ScriptedReply
{
    enum class Kind {
        Answer,  // status and body at once
        Trickle, // the whole answer, a few bytes at a time
        Stall,   // reads the request and never answers
        Reset,   // drops the connection hard once the request is in
    };

    Kind kind = Kind::Answer;
    int status = 200;
    QByteArray body;
    int chunk_size = 16;       // Trickle: bytes per write
    int chunk_interval_ms = 5; // Trickle: pause between writes

    static ScriptedReply answer(const QByteArray &body, int status = 200);
    static ScriptedReply trickle(const QByteArray &body, int chunk_size, int chunk_interval_ms);
    static ScriptedReply stall();
    static ScriptedReply reset();
};

// A small HTTP/1.1 server standing in for the rating server at the
// program's own endpoint. It records every request and answers each with
// the next scripted reply (an empty 200 answer once the script runs out).
class RatingServer : public QObject
{
    Q_OBJECT

public:
    // Also clears the proxy settings of the environment, so that requests
    // to the endpoint go straight to this server.
    explicit RatingServer(QObject *parent = nullptr);
    ~RatingServer() override;

    // Listens on the endpoint's host and port ("localhost": both 127.0.0.1
    // and ::1). False, with error_string() set, if no address could be bound.
    bool listen();
    // Stops listening and drops every open connection: the server is down.
    void close();
    bool is_listening() const { return !servers.isEmpty(); }
    QString error_string() const { return error; }

    // Answers the next `times` requests with reply. Qt sends a request again
    // when the connection drops before any answer, so a reset is best
    // queued more than once.
    void queue_reply(const ScriptedReply &reply, int times = 1);
    const QList<RecordedRequest> &requests() const { return received; }
    void clear();

signals:
    void request_received(int index);

private:
    struct Connection;

    void accept_connections(QTcpServer *server);
    void read_request(Connection *connection);
    void answer(Connection *connection, const ScriptedReply &reply);
    void drop(Connection *connection);

    QList<QTcpServer *> servers;
    QList<Connection *> connections;
    QList<ScriptedReply> script;
    QList<RecordedRequest> received;
    QString error;
};
