#include "server/BackupServer.h"

#include "server/BackupConnection.h"

#include <QDir>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace server {

namespace {

// Hands out QSslSocket objects when the service speaks TLS, so that each
// connection, handshake included, is counted and timed from its first byte.
class Listener : public QTcpServer {
public:
    explicit Listener(bool tls) : m_tls(tls) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket* socket = m_tls ? new QSslSocket : new QTcpSocket;
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        addPendingConnection(socket);
    }

private:
    bool m_tls;
};

constexpr auto kPrivateFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString prepared(const ServerConfig& config, const QString& name)
{
    const QString path = QDir(config.store).filePath(name);
    if (!QDir().mkpath(path))
        throw StoreError("Nu pot crea folderul " + path);
    QFile::setPermissions(path, kPrivateFolder);
    return path;
}

QString accountsFile(const ServerConfig& config)
{
    QDir().mkpath(config.store);
    QFile::setPermissions(config.store, kPrivateFolder);
    prepared(config, "archives");
    // Left-over work folders of an earlier run are removed.
    QDir(prepared(config, "tmp")).removeRecursively();
    prepared(config, "tmp");
    setPasswordCost(config.passwordMemoryKb, config.passwordPasses);
    return QDir(config.store).filePath("accounts.db");
}

// IPv4 peers seen through an IPv6 socket count as their IPv4 address.
QString addressOf(const QTcpSocket* socket)
{
    bool v4 = false;
    const quint32 ip = socket->peerAddress().toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : socket->peerAddress().toString();
}

} // namespace

BackupServer::BackupServer(const ServerConfig& config, ServerLog& log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_accounts(accountsFile(config)),
      m_outbox(prepared(config, "outbox")), m_throttle(config.loginFailures, config.failureWindowSeconds),
      m_handler(m_config, m_accounts, m_outbox, m_throttle, log)
{
    m_worker = new QObject;
    m_worker->moveToThread(&m_workerThread);
    m_workerThread.start();
}

BackupServer::~BackupServer()
{
    m_workerThread.quit();
    m_workerThread.wait();
    delete m_worker;
}

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
        const QByteArray keyBytes = keyFile.readAll();
        QSslKey key(keyBytes, QSsl::Rsa, QSsl::Pem);
        if (key.isNull())
            key = QSslKey(keyBytes, QSsl::Ec, QSsl::Pem);
        if (chain.isEmpty() || key.isNull()) {
            *error = "certificatul sau cheia TLS nu sunt valide";
            return false;
        }
        m_ssl = QSslConfiguration::defaultConfiguration();
        m_ssl.setLocalCertificateChain(chain);
        m_ssl.setPrivateKey(key);
        m_ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_ssl.setProtocol(QSsl::TlsV1_2OrLater);
    }
    m_listener = std::make_unique<Listener>(m_config.tls());
    connect(m_listener.get(), &QTcpServer::newConnection, this, &BackupServer::accept);
    if (!m_listener->listen(QHostAddress(m_config.bind), m_config.port)) {
        *error = m_listener->errorString();
        return false;
    }
    m_log.write(QString("serviciul de salvari asculta pe %1:%2%3")
                    .arg(m_config.bind)
                    .arg(m_listener->serverPort())
                    .arg(m_config.tls() ? " (TLS)" : " (necriptat)"));
    return true;
}

quint16 BackupServer::port() const { return m_listener ? m_listener->serverPort() : 0; }

void BackupServer::accept()
{
    while (QTcpSocket* socket = m_listener->nextPendingConnection()) {
        const QString address = addressOf(socket);
        int& fromAddress = m_perAddress[address];
        if (m_live.size() >= m_config.maxConnections || fromAddress >= m_config.perAddress) {
            if (fromAddress == 0)
                m_perAddress.remove(address);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++fromAddress;
        if (auto* ssl = qobject_cast<QSslSocket*>(socket)) {
            ssl->setSslConfiguration(m_ssl);
            ssl->startServerEncryption();
        }
        auto* connection = new BackupConnection(socket, m_config, *this, m_throttle, m_log, this);
        m_live.insert(connection, QString());
        connect(connection, &BackupConnection::finished, this,
                [this, connection, address] { ended(connection, address); });
    }
}

void BackupServer::ended(BackupConnection* connection, const QString& address)
{
    m_live.remove(connection);
    if (--m_perAddress[address] <= 0)
        m_perAddress.remove(address);
    connection->deleteLater();
}

bool BackupServer::enterAccount(const QString& email, BackupConnection* connection)
{
    const QString key = email.toLower();
    int links = 0;
    for (auto it = m_live.cbegin(); it != m_live.cend(); ++it)
        links += it.value() == key ? 1 : 0;
    if (links >= m_config.perAccount)
        return false;
    m_live[connection] = key;
    return true;
}

void BackupServer::takeOver(const QString& email, BackupConnection* keep)
{
    const QString key = email.toLower();
    const QList<BackupConnection*> all = m_live.keys();
    for (BackupConnection* c : all)
        if (c != keep && m_live.value(c) == key)
            c->kickOut();
}

void BackupServer::onWorker(BackupConnection* connection, std::function<void()> job, std::function<void()> done)
{
    const quint64 serial = connection->serial();
    QMetaObject::invokeMethod(m_worker, [this, connection, serial, job = std::move(job), done = std::move(done)] {
        job();
        // Back on the links' thread, only for a connection that still lives
        // (the serial tells it from a later one at the same address).
        QMetaObject::invokeMethod(this, [this, connection, serial, done] {
            if (m_live.contains(connection) && connection->serial() == serial)
                done();
        });
    });
}

} // namespace server
