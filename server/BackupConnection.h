// One client of the backup service, from connection to close: asks for the
// login record, receives the request stream into a file, has RequestHandler
// answer it and streams the reply file back, then closes. Anything out of
// order (a lying length, a packet nobody asked for, an oversized stream, a
// malformed login) ends this connection only.
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

class BackupConnection : public QObject {
    Q_OBJECT
public:
    BackupConnection(QTcpSocket* socket, const ServerConfig& config, RequestHandler& handler,
                     LoginThrottle& throttle, ServerLog& log, QObject* parent = nullptr);
    ~BackupConnection() override;

signals:
    void finished();

private:
    enum class Phase { Login, Request, Receiving, Replying, Sending, Closing };

    void start();
    void readAvailable();
    void handle(const protocol::LinkMessage& message);
    void login(const QByteArray& payload);
    void announced(const QByteArray& payload);
    void packet(const QByteArray& payload);
    void answer();
    void send(quint32 type, const QByteArray& payload = {});
    void sendBytes(const QByteArray& bytes);
    // Stops handling messages and closes the link once queued bytes are sent.
    void drop(const QString& why);
    void closed();

    QPointer<QTcpSocket> m_socket;
    const ServerConfig& m_config;
    RequestHandler& m_handler;
    LoginThrottle& m_throttle;
    ServerLog& m_log;
    protocol::LinkReader m_reader;
    protocol::StreamReceiver m_request;
    protocol::StreamSender m_reply;
    QTemporaryDir m_work;
    QTimer m_idle;
    Phase m_phase = Phase::Login;
    Caller m_caller;
    bool m_done = false;       // no more messages are handled
    bool m_finished = false;   // the link is closed; finished() was emitted
};

} // namespace server
