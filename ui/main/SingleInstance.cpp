#include "ui/main/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

QString instanceServerName(const QString& systemFolder)
{
    QString user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("USER");
    const QByteArray hash = QCryptographicHash::hash(QDir::cleanPath(systemFolder).toUtf8(), QCryptographicHash::Sha1)
                                .toHex()
                                .left(12);
    return "Hestavo-" + user + "-" + QString::fromLatin1(hash);
}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent) : QObject(parent), m_name(serverName) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::anotherIsRunning()
{
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(1000)) {
            probe.write("raise\n");
            probe.flush();
            probe.waitForBytesWritten(1000);
            // Wait for the answer so the first instance has the request before we end.
            probe.waitForReadyRead(2000);
            probe.disconnectFromServer();
            return true;
        }
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket file left by a program that crashed: nobody answered above.
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("raise")) {
                    s->write("ok\n");
                    s->flush();
                    emit raiseRequested();
                }
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return false;
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}
