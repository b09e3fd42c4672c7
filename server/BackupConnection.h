// One client of the backup service, from connection to close: asks for the
// login record, receives the request stream into a file, has RequestHandler
// answer it on the worker thread and streams the reply back, then closes.
// Every step has a deadline that trickled bytes do not extend: the TLS
// handshake, the login up to the announced request, and each transfer at a
// minimum rate. A large request is accepted only after its login was checked
// and the disk has room for it. While the client does not read its replies,
// its input waits. Anything out of order (a lying length, a packet nobody
// asked for, an oversized stream, a malformed login) ends this connection only.
#pragma once

#include "protocol/LinkMessage.h"
#include "protocol/StreamTransfer.h"
#include "server/RequestHandler.h"

#include <QObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

class QTcpSocket;

namespace server {

class ConnectionHub;

class BackupConnection : public QObject {
    Q_OBJECT
public:
    BackupConnection(QTcpSocket* socket, const ServerConfig& config, ConnectionHub& server, LoginThrottle& throttle,
                     ServerLog& log, QObject* parent = nullptr);
    ~BackupConnection() override;

    quint64 serial() const { return m_serial; }
    // The account's password was replaced by its e-mailed one: this link ends.
    void kickOut();

signals:
    void finished();

private:
    enum class Phase { Handshake, Login, Request, Checking, Receiving, Handling, Replying, Sending, Closing };

    void start();
    void readAvailable();
    void handle(const protocol::LinkMessage& message);
    void login(const QByteArray& payload);
    void announced(const QByteArray& payload);
    void checked(const Verdict& verdict, qint64 spare);
    void accept();
    void packet(const QByteArray& payload);
    void writeFailed();
    void whole();
    // Announces the reply made of head and these files after the delay.
    void reply(const QStringList& parts, const QByteArray& head, int delayMs);
    void refuse(const QStringList& lines, int delayMs);
    void send(quint32 type, const QByteArray& payload = {});
    void sendBytes(const QByteArray& bytes);
    void deadline(qint64 ms);
    qint64 transferMs(qint64 bytes) const;
    // Stops handling messages and closes the link once queued bytes are sent.
    void drop(const QString& why);
    void closed();

    QPointer<QTcpSocket> m_socket;
    const ServerConfig& m_config;
    ConnectionHub& m_server;
    LoginThrottle& m_throttle;
    ServerLog& m_log;
    quint64 m_serial;
    protocol::LinkReader m_reader;
    protocol::StreamReceiver m_request;
    protocol::StreamSender m_reply;
    QTemporaryDir m_work;
    QTimer m_deadline;
    Phase m_phase = Phase::Login;
    Caller m_caller;
    quint32 m_size = 0;        // of the announced request
    bool m_checked = false;    // the login was weighed before the payload was taken
    Verdict m_verdict;
    bool m_waiting = false;    // the worker has the request: no input is read
    bool m_done = false;       // no more messages are handled
    bool m_finished = false;   // the link is closed; finished() was emitted
};

} // namespace server
