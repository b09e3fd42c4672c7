// One connection cycle with the remote backup service: connect (plain TCP or
// TLS with certificate checking), log in, send the request file as a stream,
// receive the reply file, and wait for the service to close. The waiting loop
// processes the window's events, so the window stays painted and can stop the
// cycle. The waiting limit counts silence of the service, not the length of
// a transfer. Everything the service sends is checked: lengths, order of
// messages, the announced reply size.
#pragma once

#include "protocol/LinkMessage.h"
#include "protocol/StreamTransfer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QEventLoop;
class QTcpSocket;

namespace backup {

struct LinkEndpoint {
    QString host;
    quint16 port = 1235;
    bool tls = false;
    QString caFile;   // certificates to trust besides the system's (TLS only)
};

// Transfer state: 0 connecting, 1 sending the request, 2 receiving the reply,
// 3 accepted or complete, 4 disconnected.
enum class LinkState { Connecting = 0, Sending = 1, Receiving = 2, Accepted = 3, Disconnected = 4 };

class RemoteLink : public QObject {
    Q_OBJECT
public:
    explicit RemoteLink(QObject* parent = nullptr);
    ~RemoteLink() override;

    int waitLimitMs = 60000;
    int pingIntervalMs = 30000;
    // Largest reply accepted.
    qint64 maxReplyBytes = qint64(2000) * 1024 * 1024;
    // Progress of the cycle: panel text, position, maximum.
    std::function<void(const QString& text, qint64 position, qint64 maximum)> progress;

    // Runs the cycle. Returns an empty text when the whole reply is in
    // replyFile; otherwise the error text ("Timp de asteptare prea mare!",
    // "Serverul nu raspunde!", "Eroare la transmisie.", "Oprire fortata.", or
    // the refusal of a reply announced above maxReplyBytes) and neither the
    // request nor the reply file is left.
    QString run(const LinkEndpoint& endpoint, const QByteArray& user, const QByteArray& room,
                const QString& requestFile, const QString& replyFile);
    // Ends a running cycle as a forced stop (the window was closed).
    void stop();
    LinkState state() const { return m_state; }

private:
    enum class Stop { None, WaitLimit, User };

    void readAvailable();
    void handle(const protocol::LinkMessage& message);
    void replyAnnounced(const QByteArray& payload);
    void replyPacket(const QByteArray& payload);
    void ping();
    void send(quint32 type, const QByteArray& payload = {});
    void sendBytes(const QByteArray& bytes);
    // A disconnection, a socket error or anything out of order: the cycle ends.
    void fail();
    void finish();
    void report(const QString& text, qint64 position, qint64 maximum);

    QTcpSocket* m_socket = nullptr;
    QEventLoop* m_loop = nullptr;
    QTimer m_wait;
    QTimer m_ping;
    protocol::LinkReader m_reader;
    protocol::StreamSender m_request;
    protocol::StreamReceiver m_reply;
    QString m_requestFile;
    QString m_replyFile;
    QByteArray m_user;
    QByteArray m_room;
    LinkState m_state = LinkState::Connecting;
    Stop m_stop = Stop::None;
    quint32 m_refusedReplySize = 0; // a reply announced above maxReplyBytes
    bool m_loggedIn = false;
    bool m_replyWhole = false;
    bool m_failed = false;
    int m_missedPongs = 0;
    bool m_pongPending = false;
};

} // namespace backup
