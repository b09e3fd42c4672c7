#include "server/BackupConnection.h"

#include "data/Cp1250.h"

#include <QDir>
#include <QSslSocket>
#include <QTcpSocket>

namespace server {

using namespace protocol;

namespace {
// Request headers and the Stoc table come on top of the archive itself.
constexpr qint64 kRequestOverhead = 1024 * 1024;
}

BackupConnection::BackupConnection(QTcpSocket* socket, const ServerConfig& config, RequestHandler& handler,
                                   LoginThrottle& throttle, ServerLog& log, QObject* parent)
    : QObject(parent), m_socket(socket), m_config(config), m_handler(handler), m_throttle(throttle), m_log(log),
      m_work(QDir(config.store).filePath("tmp/conn-XXXXXX"))
{
    socket->setParent(this);
    m_caller.address = socket->peerAddress().toString();
    m_idle.setSingleShot(true);
    m_idle.setInterval(config.idleSeconds * 1000);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        // A closing link whose peer does not read is cut off.
        if (m_done && m_socket)
            m_socket->abort();
        else
            drop(QStringLiteral("fara activitate"));
    });
    connect(socket, &QTcpSocket::readyRead, this, &BackupConnection::readAvailable);
    connect(socket, &QTcpSocket::disconnected, this, &BackupConnection::closed);
    // Started from the event loop, so that the owner has connected finished().
    auto* ssl = qobject_cast<QSslSocket*>(socket);
    if (ssl && !ssl->isEncrypted())
        connect(ssl, &QSslSocket::encrypted, this, &BackupConnection::start);
    else
        QTimer::singleShot(0, this, &BackupConnection::start);
}

BackupConnection::~BackupConnection()
{
    m_request.close();
    m_reply.close();
}

void BackupConnection::start()
{
    m_idle.start();
    if (!m_work.isValid()) {
        drop(QStringLiteral("nu pot crea folderul de lucru"));
        return;
    }
    if (m_throttle.blocked(m_caller.address, QDateTime::currentSecsSinceEpoch())) {
        m_log.write("refuzat (prea multe parole gresite): " + m_caller.address);
        send(kNotLetIn);
        drop({});
        return;
    }
    send(kAskLogin);
}

void BackupConnection::readAvailable()
{
    while (m_socket && !m_done && m_socket->bytesAvailable() > 0) {
        // Read in bounded pieces so a flood never sits whole in memory.
        if (!m_reader.feed(m_socket->read(kMaxMessageLength))) {
            drop(m_reader.error());
            return;
        }
        m_idle.start();
        LinkMessage message;
        while (!m_done && m_reader.next(&message))
            handle(message);
        if (m_reader.broken()) {
            drop(m_reader.error());
            return;
        }
    }
}

void BackupConnection::handle(const LinkMessage& message)
{
    switch (message.type) {
    case kPing:
        send(kPong);
        return;
    case kPong:
        return;
    case kLogin:
        if (m_phase == Phase::Login)
            return login(message.payload);
        break;
    case kAnnounce:
        if (m_phase == Phase::Request)
            return announced(message.payload);
        break;
    case kData:
        if (m_phase == Phase::Receiving)
            return packet(message.payload);
        break;
    case kAccept:
    case kNextPacket:
        if (m_phase == Phase::Replying || m_phase == Phase::Sending) {
            m_phase = Phase::Sending;
            const QByteArray bytes = m_reply.nextPacket();
            if (!bytes.isEmpty())
                sendBytes(bytes);
            return;
        }
        break;
    case kComplete:
        if (m_phase == Phase::Sending || m_phase == Phase::Replying) {
            m_phase = Phase::Closing;
            drop({});
            return;
        }
        break;
    case kRefuse:
        if (m_phase == Phase::Replying)
            return drop(QStringLiteral("raspuns refuzat"));
        break;
    default:
        break;
    }
    drop(QString("mesaj neasteptat de tip %1").arg(message.type));
}

void BackupConnection::login(const QByteArray& payload)
{
    QByteArray user;
    QByteArray room;
    if (!decodeLogin(payload, &user, &room, 1024) || user.size() < 4) {
        drop(QStringLiteral("inregistrare de autentificare incorecta"));
        return;
    }
    // "092" + e-mail; the password padded to 40, then town hall and county.
    m_caller.email = fromCp1250(user.mid(3)).trimmed();
    const QString text = fromCp1250(room);
    m_caller.password = text.left(40).trimmed();
    m_caller.place = text.mid(40).trimmed();
    m_phase = Phase::Request;
    send(kLoginAccepted);
}

void BackupConnection::announced(const QByteArray& payload)
{
    quint32 size = 0;
    if (!decodeAnnounce(payload, &size) || qint64(size) > m_config.quotaBytes + kRequestOverhead) {
        m_log.write(QString("cerere refuzata de la %1: %2 octeti").arg(m_caller.address).arg(size));
        send(kRefuse);
        drop({});
        return;
    }
    if (!m_request.open(m_work.filePath("request.cmd"), size)) {
        drop(QStringLiteral("nu pot scrie cererea"));
        return;
    }
    m_phase = Phase::Receiving;
    send(kAccept);
    if (size == 0)
        answer();
}

void BackupConnection::packet(const QByteArray& payload)
{
    switch (m_request.append(payload)) {
    case StreamReceiver::Result::More:
        send(kNextPacket);
        return;
    case StreamReceiver::Result::Whole:
        answer();
        return;
    case StreamReceiver::Result::Failed:
        drop(QStringLiteral("mai multi octeti decat anuntati"));
        return;
    }
}

void BackupConnection::answer()
{
    m_request.close();
    send(kComplete);
    const QString reply = m_work.filePath("reply.cmd");
    const QString folder = m_work.filePath("files");
    QDir().mkpath(folder);
    if (!m_handler.handle(m_caller, m_work.filePath("request.cmd"), folder, reply) || !m_reply.open(reply)) {
        drop(QStringLiteral("nu pot pregati raspunsul"));
        return;
    }
    m_phase = Phase::Replying;
    send(kAnnounce, encodeAnnounce(m_reply.size(), QByteArrayLiteral("\"trimit\"")));
}

void BackupConnection::send(quint32 type, const QByteArray& payload) { sendBytes(encodeMessage(type, payload)); }

void BackupConnection::sendBytes(const QByteArray& bytes)
{
    if (m_socket)
        m_socket->write(bytes);
}

void BackupConnection::drop(const QString& why)
{
    if (!why.isEmpty())
        m_log.write(QString("conexiune inchisa (%1): %2").arg(m_caller.address, why));
    if (m_done)
        return;
    m_done = true;
    m_idle.start();
    if (m_socket)
        m_socket->disconnectFromHost();   // sends what is queued, then closes
    if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState)
        closed();
}

void BackupConnection::closed()
{
    if (m_finished)
        return;
    m_finished = true;
    m_done = true;
    m_idle.stop();
    emit finished();
}

} // namespace server
