#include "server/BackupConnection.h"

#include "server/ConnectionHub.h"

#include "data/Cp1250.h"
#include "protocol/RequestFile.h"

#include <QDir>
#include <QSslSocket>
#include <QTcpSocket>

#include <atomic>
#include <memory>

namespace server {

using namespace protocol;

namespace {
// Request headers and the Stoc table come on top of the archive itself.
constexpr qint64 kRequestOverhead = 1024 * 1024;
// A request up to this size is taken before its login is weighed (the
// commands without an archive, the reminder, a new account's first request).
constexpr quint32 kSmallRequest = 64 * 1024;

std::atomic<quint64> g_serials{0};
}

BackupConnection::BackupConnection(QTcpSocket* socket, const ServerConfig& config, ConnectionHub& server,
                                   LoginThrottle& throttle, ServerLog& log, QObject* parent)
    : QObject(parent), m_socket(socket), m_config(config), m_server(server), m_throttle(throttle), m_log(log),
      m_serial(++g_serials), m_work(QDir(config.store).filePath("tmp/conn-XXXXXX"))
{
    socket->setParent(this);
    // Input waits in the kernel, not here, while it is not being handled.
    socket->setReadBufferSize(2 * kMaxMessageLength);
    m_caller.address = socket->peerAddress().toString();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        // A closing link whose peer does not read is cut off.
        if (m_done && m_socket)
            m_socket->abort();
        else
            drop(QStringLiteral("termen depasit"));
    });
    connect(socket, &QTcpSocket::readyRead, this, &BackupConnection::readAvailable);
    connect(socket, &QTcpSocket::bytesWritten, this, &BackupConnection::readAvailable);
    connect(socket, &QTcpSocket::disconnected, this, &BackupConnection::closed);
    auto* ssl = qobject_cast<QSslSocket*>(socket);
    if (ssl && !ssl->isEncrypted()) {
        m_phase = Phase::Handshake;
        deadline(qint64(config.handshakeSeconds) * 1000);
        // A failed handshake closes the socket by itself (disconnected); the
        // socket is not touched from within its own error signal.
        connect(ssl, &QSslSocket::encrypted, this, &BackupConnection::start);
    } else {
        // Started from the event loop, so that the owner has connected finished().
        QTimer::singleShot(0, this, &BackupConnection::start);
    }
}

BackupConnection::~BackupConnection()
{
    m_request.close();
    m_reply.close();
}

void BackupConnection::deadline(qint64 ms) { m_deadline.start(int(qMin<qint64>(ms, 24LL * 3600 * 1000))); }

qint64 BackupConnection::transferMs(qint64 bytes) const
{
    return qint64(m_config.transferSeconds) * 1000 + bytes * 1000 / qMax<qint64>(1, m_config.minRate);
}

void BackupConnection::start()
{
    if (m_done)
        return;
    m_phase = Phase::Login;
    deadline(qint64(m_config.loginSeconds) * 1000);
    if (!m_work.isValid()) {
        drop(QStringLiteral("nu pot crea folderul de lucru"));
        return;
    }
    if (m_throttle.blocked("adresa:" + m_caller.address, QDateTime::currentSecsSinceEpoch())) {
        m_log.write("refuzat (prea multe parole gresite): " + m_caller.address);
        send(kNotLetIn);
        drop({});
        return;
    }
    send(kAskLogin);
}

void BackupConnection::readAvailable()
{
    // Input waits while the worker has the request and while the client
    // leaves its replies unread.
    while (m_socket && !m_done && !m_waiting && m_phase != Phase::Handshake && m_socket->bytesAvailable() > 0
           && m_socket->bytesToWrite() < m_config.writeBuffer) {
        if (!m_reader.feed(m_socket->read(kMaxMessageLength))) {
            drop(m_reader.error());
            return;
        }
        LinkMessage message;
        while (!m_done && !m_waiting && m_socket->bytesToWrite() < m_config.writeBuffer && m_reader.next(&message))
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
    if (!m_server.enterAccount(m_caller.email, this)) {
        m_log.write(QString("prea multe conexiuni la contul %1 (%2)").arg(m_caller.email, m_caller.address));
        send(kNameInUse);
        drop({});
        return;
    }
    m_phase = Phase::Request;
    send(kLoginAccepted);
}

void BackupConnection::announced(const QByteArray& payload)
{
    if (!decodeAnnounce(payload, &m_size) || qint64(m_size) > m_config.quotaBytes + kRequestOverhead) {
        m_log.write(QString("cerere refuzata de la %1: %2 octeti").arg(m_caller.address).arg(m_size));
        send(kRefuse);
        drop({});
        return;
    }
    if (m_size <= kSmallRequest)
        return accept();
    // A large request: its login is weighed, and the disk asked for room,
    // before any of its bytes is taken.
    m_phase = Phase::Checking;
    m_waiting = true;
    m_deadline.stop();
    auto verdict = std::make_shared<Verdict>();
    auto spare = std::make_shared<qint64>(0);
    RequestHandler& handler = m_server.handler();
    const Caller caller = m_caller;
    m_server.onWorker(
        this,
        [&handler, caller, verdict, spare] {
            *verdict = handler.check(caller);
            *spare = handler.spareBytes();
        },
        [this, verdict, spare] { checked(*verdict, *spare); });
}

void BackupConnection::checked(const Verdict& verdict, qint64 spare)
{
    m_waiting = false;
    if (verdict.tookOver)
        m_server.takeOver(m_caller.email, this);
    if (verdict.kind == Verdict::Known && verdict.account.confirmed && spare >= qint64(m_size)) {
        m_checked = true;
        m_verdict = verdict;
        return accept();
    }
    m_log.write(QString("cerere mare refuzata inainte de date: %1 de la %2").arg(m_caller.email, m_caller.address));
    send(kComplete);   // the request ends here: none of its payload is wanted
    refuse(m_server.handler().refusal(verdict), verdict.delayMs);
}

void BackupConnection::accept()
{
    if (!m_request.open(m_work.filePath("request.cmd"), m_size)) {
        drop(QStringLiteral("nu pot scrie cererea"));
        return;
    }
    m_phase = Phase::Receiving;
    deadline(transferMs(m_size));
    send(kAccept);
    if (m_size == 0)
        whole();
    else
        readAvailable();
}

void BackupConnection::packet(const QByteArray& payload)
{
    switch (m_request.append(payload)) {
    case StreamReceiver::Result::More:
        send(kNextPacket);
        return;
    case StreamReceiver::Result::Whole:
        whole();
        return;
    case StreamReceiver::Result::Failed:
        drop(QStringLiteral("mai multi octeti decat anuntati"));
        return;
    case StreamReceiver::Result::WriteFailed:
        writeFailed();
        return;
    }
}

void BackupConnection::writeFailed()
{
    m_request.close();
    QFile::remove(m_work.filePath("request.cmd"));
    m_log.write(QString("nu pot scrie cererea lui %1 (disc plin?)").arg(m_caller.email));
    send(kComplete);
    refuse({QStringLiteral("/EROARE Serverul nu a putut scrie cererea (disc plin). Incercati mai tarziu.")}, 0);
}

void BackupConnection::whole()
{
    m_request.close();
    send(kComplete);
    m_phase = Phase::Handling;
    m_waiting = true;
    m_deadline.stop();
    const QString folder = m_work.filePath("files");
    QDir().mkpath(folder);
    auto parts = std::make_shared<QStringList>();
    auto verdict = std::make_shared<Verdict>(m_verdict);
    auto ok = std::make_shared<bool>(false);
    RequestHandler& handler = m_server.handler();
    const Caller caller = m_caller;
    const bool checked = m_checked;
    const QString request = m_work.filePath("request.cmd");
    const QString head = m_work.filePath("reply.cmd");
    m_server.onWorker(
        this,
        [&handler, caller, checked, request, folder, head, parts, verdict, ok] {
            *ok = checked ? handler.answer(caller, *verdict, request, folder, head, parts.get())
                          : handler.handle(caller, request, folder, head, parts.get(), verdict.get());
        },
        [this, parts, verdict, ok] {
            m_waiting = false;
            if (!*ok) {
                drop(QStringLiteral("nu pot pregati raspunsul"));
                return;
            }
            if (verdict->tookOver)
                m_server.takeOver(m_caller.email, this);
            reply(*parts, {}, verdict->delayMs);
        });
}

void BackupConnection::refuse(const QStringList& lines, int delayMs)
{
    // Kept in memory: the disk may be what is full.
    reply({}, commandText(lines), delayMs);
}

void BackupConnection::reply(const QStringList& parts, const QByteArray& head, int delayMs)
{
    m_phase = Phase::Handling;
    m_waiting = true;
    // A failed login is answered late, and later for each recent failure.
    QTimer::singleShot(delayMs, this, [this, parts, head] {
        m_waiting = false;
        if (m_done)
            return;
        if (!m_reply.open(parts, head)) {
            drop(QStringLiteral("nu pot pregati raspunsul"));
            return;
        }
        m_phase = Phase::Replying;
        deadline(transferMs(m_reply.size()));
        send(kAnnounce, encodeAnnounce(m_reply.size(), QByteArrayLiteral("\"trimit\"")));
        readAvailable();
    });
}

void BackupConnection::kickOut()
{
    if (m_done)
        return;
    send(kKickedOut);
    drop(QStringLiteral("parola contului a fost inlocuita"));
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
    m_phase = Phase::Closing;
    // The peer has a short while to take what is queued.
    deadline(qint64(m_config.loginSeconds) * 1000);
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
    m_deadline.stop();
    emit finished();
}

} // namespace server
