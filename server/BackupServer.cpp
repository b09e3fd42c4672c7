#include "server/BackupServer.h"

#include "server/BackupConnection.h"

#include <QDir>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>

namespace server {

namespace {

// Connections beyond this are closed at once.
constexpr int kMaxConnections = 500;

QString prepared(const ServerConfig& config, const QString& name)
{
    const QString path = QDir(config.store).filePath(name);
    if (!QDir().mkpath(path))
        throw StoreError("Nu pot crea folderul " + path);
    return path;
}

QString accountsFile(const ServerConfig& config)
{
    prepared(config, "archives");
    // Left-over work folders of an earlier run are removed.
    QDir(prepared(config, "tmp")).removeRecursively();
    prepared(config, "tmp");
    return QDir(config.store).filePath("accounts.db");
}

} // namespace

BackupServer::BackupServer(const ServerConfig& config, ServerLog& log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_accounts(accountsFile(config)),
      m_outbox(prepared(config, "outbox")), m_throttle(config.loginFailures, config.failureWindowSeconds),
      m_handler(m_config, m_accounts, m_outbox, m_throttle, log)
{
}

BackupServer::~BackupServer() = default;

bool BackupServer::listen(QString* error)
{
    if (m_config.tls()) {
        QFile certFile(m_config.tlsCert);
        QFile keyFile(m_config.tlsKey);
        if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            *error = "nu pot citi certificatul sau cheia TLS";
            return false;
        }
        const QList<QSslCertificate> chain = QSslCertificate::fromData(certFile.readAll(), QSsl::Pem);
        const QSslKey key(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
        if (chain.isEmpty() || key.isNull()) {
            *error = "certificatul sau cheia TLS nu sunt valide";
            return false;
        }
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setLocalCertificateChain(chain);
        ssl.setPrivateKey(key);
        ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
        auto* listener = new QSslServer;
        listener->setSslConfiguration(ssl);
        // A peer that never completes the handshake is dropped like an idle one.
        listener->setHandshakeTimeout(m_config.idleSeconds * 1000);
        m_listener.reset(listener);
        connect(listener, &QSslServer::errorOccurred, this,
                [this](QSslSocket*, QAbstractSocket::SocketError) { m_log.write("eroare TLS la o conexiune"); });
        connect(listener, &QSslServer::pendingConnectionAvailable, this, &BackupServer::accept);
    } else {
        m_listener = std::make_unique<QTcpServer>();
        connect(m_listener.get(), &QTcpServer::newConnection, this, &BackupServer::accept);
    }
    if (!m_listener->listen(QHostAddress(m_config.bind), m_config.port)) {
        *error = m_listener->errorString();
        return false;
    }
    m_log.write(QString("serviciul de salvari asculta pe %1:%2%3")
                    .arg(m_config.bind)
                    .arg(m_listener->serverPort())
                    .arg(m_config.tls() ? " (TLS)" : ""));
    return true;
}

quint16 BackupServer::port() const { return m_listener ? m_listener->serverPort() : 0; }

void BackupServer::accept()
{
    while (QTcpSocket* socket = m_listener->nextPendingConnection()) {
        if (m_connections >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        auto* connection = new BackupConnection(socket, m_config, m_handler, m_throttle, m_log, this);
        connect(connection, &BackupConnection::finished, this, [this, connection] {
            --m_connections;
            connection->deleteLater();
        });
    }
}

} // namespace server
