// What the remote backup service sends back (the client faces whatever
// answers): the input is the whole byte stream of one connection, served by
// a loopback listener that then closes. The client runs one real listing
// cycle (log in, send "/GET_STOC", receive the reply file), then reads the
// reply's server time and the list table it carried. Any stream must end
// the cycle with a result or an error text.
#include "ProgramFolder.h"

#include "backup/RemoteBackup.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Serves the current input to every connection, then closes it.
class Service : public QObject {
public:
    Service()
    {
        if (!m_server.listen(QHostAddress::LocalHost))
            std::abort();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray stream;

private:
    void serve(QTcpSocket* socket)
    {
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->write(stream);
        socket->disconnectFromHost();
    }
    QTcpServer m_server;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    fuzz::freshProgramFolder(QStringLiteral("client"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Service service;
    service.stream = fuzz::bytesOf(data, size);
    backup::RemoteSettings settings;
    settings.endpoint.host = QStringLiteral("127.0.0.1");
    settings.endpoint.port = service.port();
    settings.waitLimitMs = 2000;
    const backup::RemoteAccount account{QStringLiteral("primaria@exemplu.ro"), QStringLiteral("parola123"),
                                        QStringLiteral("DEJ"), QStringLiteral("CLUJ")};
    backup::RemoteBackupClient client(settings, account);
    const backup::RemoteReply reply = client.list();
    reply.serverTime();
    reply.messages();
    for (const QString& file : reply.files) {
        try {
            backup::ReadStoredBackups(file);
        } catch (const std::exception&) {
        }
        QFile::remove(file);
    }
    resetDb();
    return 0;
}
