#include "backup/RemoteLink.h"

#include <QEventLoop>
#include <QFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

namespace backup {

using namespace protocol;

RemoteLink::RemoteLink(QObject* parent) : QObject(parent)
{
    m_wait.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        if (m_replyWhole) {
            finish();   // the whole reply is here; the service only failed to close
            return;
        }
        m_stop = Stop::WaitLimit;
        fail();
    });
    connect(&m_ping, &QTimer::timeout, this, &RemoteLink::ping);
}

RemoteLink::~RemoteLink() { delete m_socket; }

void RemoteLink::report(const QString& text, qint64 position, qint64 maximum)
{
    if (progress)
        progress(text, position, maximum);
}

QString RemoteLink::run(const LinkEndpoint& endpoint, const QByteArray& user, const QByteArray& room,
                        const QString& requestFile, const QString& replyFile)
{
    m_reader = LinkReader();
    m_user = user;
    m_room = room;
    m_requestFile = requestFile;
    m_replyFile = replyFile;
    m_state = LinkState::Connecting;
    m_stop = Stop::None;
    m_refusedReplySize = 0;
    m_loggedIn = m_replyWhole = m_failed = m_pongPending = false;
    m_missedPongs = 0;

    delete m_socket;
    if (endpoint.tls) {
        auto* ssl = new QSslSocket;
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        if (!endpoint.caFile.isEmpty())
            conf.addCaCertificates(endpoint.caFile);
        ssl->setSslConfiguration(conf);
        // Any certificate problem ends the cycle: errors are never ignored.
        connect(ssl, &QSslSocket::sslErrors, this, [this] { fail(); });
        m_socket = ssl;
    } else {
        m_socket = new QTcpSocket;
    }
    connect(m_socket, &QTcpSocket::readyRead, this, &RemoteLink::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_replyWhole)
            finish();
        else
            fail();
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::RemoteHostClosedError && m_replyWhole)
            finish();
        else
            fail();
    });

    report(QStringLiteral("Conectare Server..."), 0, 0);
    if (auto* ssl = qobject_cast<QSslSocket*>(m_socket))
        ssl->connectToHostEncrypted(endpoint.host, endpoint.port);
    else
        m_socket->connectToHost(endpoint.host, endpoint.port);
    m_wait.start(waitLimitMs);
    m_ping.start(pingIntervalMs);

    QEventLoop loop;
    m_loop = &loop;
    if (!m_failed && m_state != LinkState::Disconnected)
        loop.exec();
    m_loop = nullptr;
    m_wait.stop();
    m_ping.stop();
    m_request.close();
    m_reply.close();
    m_socket->abort();

    QString error;
    if (!m_replyWhole) {
        if (m_stop == Stop::User)
            error = QStringLiteral("Oprire fortata.");
        else if (m_refusedReplySize > 0)
            error = QStringLiteral("Serverul a anuntat un raspuns de %1 MB, peste limita de %2 MB.")
                        .arg(qint64(m_refusedReplySize) >> 20)
                        .arg(maxReplyBytes >> 20);
        else if (!m_loggedIn)
            error = m_stop == Stop::WaitLimit ? QStringLiteral("Timp de asteptare prea mare!")
                                              : QStringLiteral("Serverul nu raspunde!");
        else
            error = m_stop == Stop::WaitLimit ? QStringLiteral("Serverul nu raspunde!")
                                              : QStringLiteral("Eroare la transmisie.");
        QFile::remove(m_requestFile);
        QFile::remove(m_replyFile);
    }
    m_state = LinkState::Disconnected;
    return error;
}

void RemoteLink::stop()
{
    if (m_stop == Stop::None)
        m_stop = Stop::User;
    fail();
}

void RemoteLink::fail()
{
    m_failed = true;
    finish();
}

void RemoteLink::finish()
{
    m_state = LinkState::Disconnected;
    if (m_loop)
        m_loop->quit();
}

void RemoteLink::send(quint32 type, const QByteArray& payload) { sendBytes(encodeMessage(type, payload)); }

void RemoteLink::sendBytes(const QByteArray& bytes)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(bytes);
}

void RemoteLink::ping()
{
    if (m_pongPending) {
        ++m_missedPongs;
        if (m_state == LinkState::Sending || m_state == LinkState::Receiving) {
            fail();
            return;
        }
    }
    m_pongPending = true;
    send(kPing);
}

void RemoteLink::readAvailable()
{
    while (m_socket && !m_failed && m_state != LinkState::Disconnected && m_socket->bytesAvailable() > 0) {
        if (!m_reader.feed(m_socket->read(kMaxMessageLength))) {
            fail();
            return;
        }
        LinkMessage message;
        while (!m_failed && m_state != LinkState::Disconnected && m_reader.next(&message))
            handle(message);
        if (m_reader.broken())
            fail();
    }
}

void RemoteLink::handle(const LinkMessage& message)
{
    switch (message.type) {
    case kAskLogin:
        if (!m_loggedIn)
            send(kLogin, encodeLogin(m_user, m_room));
        return;
    case kLoginAccepted:
        if (m_loggedIn)
            return;
        m_loggedIn = true;
        m_state = LinkState::Accepted;
        if (!m_request.open(m_requestFile)) {
            fail();
            return;
        }
        m_state = LinkState::Sending;
        m_wait.start(waitLimitMs);
        report(QStringLiteral("Transmit comanda..."), 0, m_request.size());
        send(kAnnounce, encodeAnnounce(m_request.size(), QByteArrayLiteral("\"trimit\"")));
        return;
    case kAccept:
    case kNextPacket:
        if (m_state == LinkState::Sending) {
            // The waiting limit counts silence: every request for data restarts it.
            m_wait.start(waitLimitMs);
            const QByteArray bytes = m_request.nextPacket();
            if (!bytes.isEmpty())
                sendBytes(bytes);
            report(QStringLiteral("Transmit comanda..."), m_request.sent(), m_request.size());
        }
        return;
    case kComplete:
        if (m_state != LinkState::Sending)
            return fail();
        m_state = LinkState::Accepted;
        m_request.close();
        QFile::remove(m_requestFile);
        report(QStringLiteral("Astept raspuns..."), 0, 0);
        m_wait.start(waitLimitMs);
        return;
    case kAnnounce:
        return replyAnnounced(message.payload);
    case kData:
        return replyPacket(message.payload);
    case kPing:
        send(kPong);
        return;
    case kPong:
        m_pongPending = false;
        m_missedPongs = 0;
        return;
    case kRefuse:
    case kFailed6:
    case kFailed7:
    case kDisconnectAll:
    case kDisconnectYou:
    case kKickedOut:
    case kNameInUse:
    case kNotLetIn:
        return fail();
    default:
        return;   // text messages and the chat service's lists are not for this window
    }
}

void RemoteLink::replyAnnounced(const QByteArray& payload)
{
    quint32 size = 0;
    // A reply is announced once, after the service confirmed the whole request.
    const bool expected = m_state == LinkState::Accepted && !m_reply.isOpen() && !m_replyWhole
                          && decodeAnnounce(payload, &size);
    if (expected && qint64(size) > maxReplyBytes)
        m_refusedReplySize = size;
    if (!expected || m_refusedReplySize > 0 || !m_reply.open(m_replyFile, size)) {
        send(kRefuse);
        return fail();
    }
    m_wait.start(waitLimitMs);
    m_state = LinkState::Receiving;
    report(QStringLiteral("Primesc raspunsul..."), 0, size);
    send(kAccept);
    if (size == 0) {
        m_reply.close();
        m_replyWhole = true;
        m_state = LinkState::Accepted;
        send(kComplete);
        m_wait.start(waitLimitMs);
    }
}

void RemoteLink::replyPacket(const QByteArray& payload)
{
    if (m_state != LinkState::Receiving)
        return fail();
    switch (m_reply.append(payload)) {
    case StreamReceiver::Result::More:
        m_wait.start(waitLimitMs);
        report(QStringLiteral("Primesc raspunsul..."), m_reply.received(), m_reply.size());
        send(kNextPacket);
        return;
    case StreamReceiver::Result::Whole:
        report(QStringLiteral("Primesc raspunsul..."), m_reply.received(), m_reply.size());
        m_replyWhole = true;
        m_state = LinkState::Accepted;
        send(kComplete);
        m_wait.start(waitLimitMs);
        return;
    case StreamReceiver::Result::Failed:
    case StreamReceiver::Result::WriteFailed:
        return fail();
    }
}

} // namespace backup
