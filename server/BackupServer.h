// The listening side of the backup service: accepts TLS (or, when so
// configured, plain TCP) connections on the configured address and port and
// gives each to a BackupConnection. It caps the connections in all, per
// network address and per account, and runs the requests' work (password
// digests, files, the database) on one worker thread, so that the thread
// serving the links never waits on a disk or a digest.
#pragma once

#include "server/AccountStore.h"
#include "server/ConnectionHub.h"
#include "server/LoginThrottle.h"
#include "server/Outbox.h"
#include "server/RequestHandler.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QThread>

#include <functional>
#include <memory>

namespace server {

class BackupConnection;

class BackupServer : public QObject, public ConnectionHub {
    Q_OBJECT
public:
    // Opens the store (creating its folders and database); throws StoreError.
    BackupServer(const ServerConfig& config, ServerLog& log, QObject* parent = nullptr);
    ~BackupServer() override;
    // Starts listening; false with *error when the port cannot be taken or the
    // TLS certificate or key cannot be read.
    bool listen(QString* error);
    quint16 port() const;
    int connections() const { return int(m_live.size()); }

    bool enterAccount(const QString& email, BackupConnection* connection) override;
    void takeOver(const QString& email, BackupConnection* keep) override;
    void onWorker(BackupConnection* connection, std::function<void()> job, std::function<void()> done) override;
    RequestHandler& handler() override { return m_handler; }

private:
    void accept();
    void ended(BackupConnection* connection, const QString& address);

    ServerConfig m_config;
    ServerLog& m_log;
    AccountStore m_accounts;
    Outbox m_outbox;
    LoginThrottle m_throttle;
    RequestHandler m_handler;
    QSslConfiguration m_ssl;
    std::unique_ptr<QTcpServer> m_listener;
    QThread m_workerThread;
    QObject* m_worker = nullptr;
    QHash<BackupConnection*, QString> m_live;            // connection -> account e-mail (lower case), once logged in
    QHash<QString, int> m_perAddress;
};

} // namespace server
