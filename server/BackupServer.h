// The listening side of the backup service: accepts TCP (or TLS) connections
// on the configured address and port and gives each to a BackupConnection.
#pragma once

#include "server/AccountStore.h"
#include "server/LoginThrottle.h"
#include "server/Outbox.h"
#include "server/RequestHandler.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include <QObject>
#include <QTcpServer>

#include <memory>

namespace server {

class BackupServer : public QObject {
    Q_OBJECT
public:
    // Opens the store (creating its folders and database); throws StoreError.
    BackupServer(const ServerConfig& config, ServerLog& log, QObject* parent = nullptr);
    ~BackupServer() override;
    // Starts listening; false with *error when the port cannot be taken or the
    // TLS certificate or key cannot be read.
    bool listen(QString* error);
    quint16 port() const;
    int connections() const { return m_connections; }

private:
    void accept();

    ServerConfig m_config;
    ServerLog& m_log;
    AccountStore m_accounts;
    Outbox m_outbox;
    LoginThrottle m_throttle;
    RequestHandler m_handler;
    std::unique_ptr<QTcpServer> m_listener;
    int m_connections = 0;
};

} // namespace server
