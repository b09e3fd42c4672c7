// The backup service process under load on loopback: CLIENTS town halls (200),
// AT-ONCE of them at a time (20), each from an address of its own, log in,
// list, upload an archive of MEGABYTES (5) and download it back, while
// HOSTILE (500) idle connections from one address try to hold the service.
// A prober pings the service every 50 ms all along. Prints whether every
// client was served byte for byte, the service's peak memory, the time, and
// the slowest ping answer (how long the thread serving the links stalled).
#include "server/AccountStore.h"
#include "tests/server/LoadHelpers.h"
#include "tests/server/RawClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

QByteArray archiveOf(int client, qint64 bytes)
{
    QByteArray archive(bytes, Qt::Uninitialized);
    for (qsizetype k = 0; k < archive.size(); ++k)
        archive[k] = char((k * 31 + client * 7) & 0xFF);
    return archive;
}

// One town hall's session: login and list, upload, download; true when
// every step answered and the archive came back whole.
bool session(quint16 port, int client, qint64 bytes)
{
    const QString from = QString("127.0.%1.%2").arg(1 + client / 250).arg(1 + client % 250);
    const QByteArray email = QString("client%1@primaria.ro").arg(client).toLatin1();
    if (!rawRequest(port, email, "PAROLA", "/INFO\r\n/END\r\n", from).contains("/CODCONF DA"))
        return false;
    if (!rawRequest(port, email, "PAROLA", "/GET_STOC\r\n/END\r\n", from).contains("#ATTACH Stoc.dbf"))
        return false;
    const QByteArray archive = archiveOf(client, bytes);
    const QByteArray put = "/PUT_FILE incarcare\r\n#ATTACH Srv : " + QByteArray::number(archive.size()) + "\r\n/END\r\n"
        + archive;
    const QByteArray id = okId(rawRequest(port, email, "PAROLA", put, from));
    if (id.isEmpty())
        return false;
    const QByteArray got = rawRequest(port, email, "PAROLA", "/GET_FILE " + id + "\r\n/END\r\n", from);
    return got.endsWith(archive)
        && got.startsWith("#ATTACH " + id + " : " + QByteArray::number(archive.size()) + "\r\n/END\r\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clients = args.value(1, "200").toInt();
    const int atOnce = args.value(2, "20").toInt();
    const qint64 bytes = args.value(3, "5").toLongLong() * 1024 * 1024;
    const int hostile = args.value(4, "500").toInt();

    QTemporaryDir store;
    QElapsedTimer clock;
    clock.start();
    {
        server::AccountStore accounts(store.path() + "/accounts.db");
        for (int i = 0; i < clients; ++i)
            accounts.confirm(accounts.create(QString("client%1@primaria.ro").arg(i), "PAROLA").id);
    }
    std::printf("%d accounts made in %.1f s (Argon2id digests)\n", clients, clock.elapsed() / 1000.0);

    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess service;
    service.setStandardErrorFile(store.path() + "/stderr.txt");
    service.start(HESTAVO_SERVER_BIN, {"--store", store.path(), "--bind", "127.0.0.1", "--port", QString::number(port),
                                       "--plain", "da", "--reserve-mb", "100"});
    if (!service.waitForStarted(20000))
        return 1;
    for (int i = 0; i < 200; ++i) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", port);
        if (s.waitForConnected(200))
            break;
        QThread::msleep(50);
    }
    const qint64 startKb = statusKb(service.processId(), "VmRSS:");

    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < hostile; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->bind(QHostAddress("127.0.0.66"));
        idle.back()->connectToHost("127.0.0.1", port);
        idle.back()->waitForConnected(2000);
    }

    std::atomic<bool> running{true};
    std::atomic<qint64> slowestPingMs{0};
    std::thread prober([&] {
        RawClient p(port, "127.0.0.77");
        p.receive();   // the request for the login
        while (running) {
            QElapsedTimer t;
            t.start();
            p.send(protocol::kPing);
            if (p.receive(10000).type != protocol::kPong)
                break;
            slowestPingMs = qMax<qint64>(slowestPingMs, t.elapsed());
            QThread::msleep(50);
        }
    });

    clock.restart();
    std::atomic<int> next{0};
    std::atomic<int> served{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < atOnce; ++w)
        workers.emplace_back([&] {
            for (int i = next++; i < clients; i = next++)
                served += session(port, i, bytes) ? 1 : 0;
        });
    for (std::thread& t : workers)
        t.join();
    const double seconds = clock.elapsed() / 1000.0;
    running = false;
    prober.join();

    int stillOpen = 0;
    for (auto& s : idle) {
        if (s->state() == QAbstractSocket::ConnectedState)
            s->waitForDisconnected(100);
        stillOpen += s->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    }
    const qint64 peakKb = statusKb(service.processId(), "VmHWM:");
    service.terminate();
    service.waitForFinished(20000);
    std::printf("%d of %d clients served (%d at once, %lld MB each way) in %.1f s\n", served.load(), clients, atOnce,
                bytes / (1024 * 1024), seconds);
    std::printf("hostile idle connections from one address: %d opened, %d still open at the end\n", hostile,
                stillOpen);
    std::printf("service memory: %lld KB at start, peak %lld KB\n", startKb, peakKb);
    std::printf("slowest ping answer during the load: %lld ms\n", slowestPingMs.load());
    return served == clients && peakKb < 200 * 1024 ? 0 : 1;
}
