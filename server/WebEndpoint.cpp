#include "server/WebEndpoint.h"

#include "server/RequestHandler.h"

#include <QDateTime>
#include <QDir>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace server {

namespace {

constexpr int kMaxRequest = 16 * 1024;

QByteArray httpReply(int status, const QByteArray& reason, const QByteArray& body)
{
    return "HTTP/1.0 " + QByteArray::number(status) + " " + reason
        + "\r\nContent-Type: text/plain; charset=utf-8\r\nCache-Control: no-cache\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

QMap<QString, QString> decodeQuery(const QByteArray& query)
{
    QMap<QString, QString> out;
    for (const QByteArray& pair : query.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        QByteArray name = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        name.replace('+', ' ');
        value.replace('+', ' ');
        out.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(name)),
                   QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return out;
}

WebEndpoint::WebEndpoint(const ServerConfig& config, ServerLog& log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_suggestions(QDir(config.store).filePath("sugestii")),
      m_requests(config.httpPerMinute, 60), m_stored(config.suggestionsPerHour, 3600)
{
    connect(&m_listener, &QTcpServer::newConnection, this, &WebEndpoint::accept);
}

WebEndpoint::~WebEndpoint()
{
    // The open connections go while the counts they update still exist.
    m_listener.close();
    qDeleteAll(m_listener.findChildren<QTcpSocket*>());
}

bool WebEndpoint::listen(QString* error)
{
    if (!m_listener.listen(QHostAddress(m_config.bind), m_config.httpPort)) {
        *error = m_listener.errorString();
        return false;
    }
    m_log.write(QString("adresele web asculta pe %1:%2").arg(m_config.bind).arg(m_listener.serverPort()));
    return true;
}

void WebEndpoint::accept()
{
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        const QString peer = socket->peerAddress().toString();
        int& fromPeer = m_perAddress[peer];
        if (m_open >= m_config.httpConnections || fromPeer >= m_config.httpPerAddress) {
            if (fromPeer == 0)
                m_perAddress.remove(peer);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++fromPeer;
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this, peer] {
            --m_open;
            if (--m_perAddress[peer] <= 0)
                m_perAddress.remove(peer);
        });
        serve(socket, peer);
    }
}

void WebEndpoint::serve(QTcpSocket* socket, const QString& peer)
{
    auto buffer = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    socket->setReadBufferSize(kMaxRequest + 1);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // The whole request, and taking the answer, within a short deadline.
    QTimer::singleShot(m_config.handshakeSeconds * 1000, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer, answered, peer] {
        if (*answered) {
            socket->read(kMaxRequest);   // answered already
            return;
        }
        buffer->append(socket->read(kMaxRequest + 1 - buffer->size()));
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0 && buffer->size() <= kMaxRequest)
            return;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QByteArray reply;
        if (end < 0) {
            reply = httpReply(431, "Request Header Fields Too Large", "EROARE");
        } else if (m_requests.blocked(peer, now)) {
            reply = httpReply(429, "Too Many Requests", "EROARE: prea multe cereri");
        } else {
            m_requests.fail(peer, now);
            reply = respond(buffer->left(buffer->indexOf("\r\n")), peer);
        }
        *answered = true;
        socket->write(reply);
        socket->disconnectFromHost();
    });
}

QByteArray WebEndpoint::respond(const QByteArray& requestLine, const QString& peer)
{
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || parts[0] != "GET")
        return httpReply(400, "Bad Request", "EROARE");
    const QByteArray target = parts[1];
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);
    if (path == "/demo/BackUpS/adr.txt")
        return httpReply(200, "OK", m_config.addressFileText().toUtf8() + "\r\n");
    if (path == "/sugestii.php")
        return storeSuggestion(question < 0 ? QByteArray() : target.mid(question + 1), peer);
    return httpReply(404, "Not Found", "EROARE");
}

QByteArray WebEndpoint::storeSuggestion(const QByteArray& query, const QString& peer)
{
    const QMap<QString, QString> fields = decodeQuery(query);
    const QString text = fields.value("produs");
    if (text.trimmed().isEmpty() || fields.value("mail").trimmed().isEmpty())
        return httpReply(200, "OK", "EROARE: lipseste sugestia sau adresa de email");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (m_stored.blocked(peer, now))
        return httpReply(429, "Too Many Requests", "EROARE: prea multe sugestii de la aceasta adresa");
    m_stored.fail(peer, now);
    QString body;
    for (const char* key : {"nume", "comuna", "telefon_fax", "mail"})
        body += QString::fromLatin1(key) + ": " + withoutControls(fields.value(key)) + "\r\n";
    body += "adresa: " + peer + "\r\n\r\n" + text;
    if (m_suggestions.send(fields.value("mail"), "Sugestie Hestavo", body).isEmpty())
        return httpReply(500, "Internal Server Error", "EROARE");
    m_log.write("sugestie primita de la " + fields.value("mail") + " (" + peer + ")");
    return httpReply(200, "OK", "SUCCES");
}

} // namespace server
