// A backup service (and its web endpoint) running in its own thread on free
// loopback ports, for tests that talk to it with real sockets.
#pragma once

#include "server/BackupServer.h"
#include "server/WebEndpoint.h"

#include <QDir>
#include <QSemaphore>
#include <QThread>

#include <memory>

// The settings of a test service on a fresh store: any free port, plain
// TCP, a small quota, no disk reserve, deadlines of a second or two, short
// delays after failures and cheap password digests.
inline server::ServerConfig testConfig(const QString& store)
{
    server::ServerConfig config;
    config.store = store;
    config.port = 0;
    config.plain = true;
    config.quotaBytes = 20 * 1024 * 1024;
    config.reserveBytes = 0;
    config.loginFailures = 5;
    config.handshakeSeconds = 1;
    config.loginSeconds = 2;
    config.transferSeconds = 2;
    config.minRate = 1024 * 1024;
    config.failureDelayMs = 20;
    config.passwordMemoryKb = 64;
    config.passwordPasses = 1;
    return config;
}

class ServerThread : public QThread {
public:
    // Starts the service on a store folder; waits until it listens.
    explicit ServerThread(server::ServerConfig config) : m_config(std::move(config))
    {
        m_config.bind = QStringLiteral("127.0.0.1");
        start();
        m_ready.acquire();
    }
    ~ServerThread() override
    {
        quit();
        wait();
    }
    quint16 port() const { return m_port; }
    quint16 httpPort() const { return m_httpPort; }
    QString error() const { return m_error; }
    QString outbox() const { return QDir(m_config.store).filePath("outbox"); }
    const server::ServerConfig& config() const { return m_config; }

protected:
    void run() override
    {
        {
            server::ServerLog log(QDir(m_config.store).filePath("server.log"));
            server::BackupServer backup(m_config, log);
            server::WebEndpoint web(m_config, log);
            if (backup.listen(&m_error) && web.listen(&m_error)) {
                m_port = backup.port();
                m_httpPort = web.port();
                m_ready.release();
                exec();
                return;
            }
        }
        m_ready.release();
    }

private:
    server::ServerConfig m_config;
    QSemaphore m_ready;
    quint16 m_port = 0;
    quint16 m_httpPort = 0;
    QString m_error;
};

// The newest e-mail in the outbox whose text holds `needle`; empty when none.
inline QString outboxMail(const QString& folder, const QString& needle)
{
    QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(f.readAll());
            if (text.contains(needle))
                return text;
        }
    }
    return {};
}
