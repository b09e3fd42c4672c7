// Fifty clients at once against one service process on loopback, each
// sending and fetching back a 2 MB archive: every request succeeds, every
// archive comes back byte for byte, and the service's memory stays bounded.
#include "server/AccountStore.h"
#include "tests/server/LoadHelpers.h"
#include "tests/server/RawClient.h"

#include "protocol/RequestFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Load, FiftyClientsSendAndFetchTwoMegabytesEach)
{
    static int argc = 1;
    static char name[] = "test_server";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    constexpr int kClients = 50;
    QTemporaryDir store;
    {
        server::AccountStore accounts(store.path() + "/accounts.db");
        for (int i = 0; i < kClients; ++i)
            accounts.confirm(accounts.create(QString("client%1@primaria.ro").arg(i), "PAROLA").id);
    }
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess service;
    service.start(HESTAVO_SERVER_BIN, {"--store", store.path(), "--bind", "127.0.0.1", "--port", QString::number(port),
                                       "--plain", "da"});
    ASSERT_TRUE(service.waitForStarted(20000));
    for (int i = 0; i < 200; ++i) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", port);
        if (s.waitForConnected(200))
            break;
        QThread::msleep(50);
    }
    const qint64 startKb = statusKb(service.processId(), "VmRSS:");

    std::atomic<int> failures{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([i, port, &failures] {
            QByteArray archive(2 * 1024 * 1024, Qt::Uninitialized);
            for (qsizetype k = 0; k < archive.size(); ++k)
                archive[k] = char((k * 31 + i * 7) & 0xFF);
            const QByteArray email = QString("client%1@primaria.ro").arg(i).toLatin1();
            const QByteArray put = "/PUT_FILE incarcare\r\n#ATTACH Srv : " + QByteArray::number(archive.size())
                + "\r\n/END\r\n" + archive;
            // Each client from an address of its own, as town halls are.
            const QString from = QString("127.0.1.%1").arg(i + 1);
            const QByteArray id = okId(rawRequest(port, email, "PAROLA", put, from));
            const QByteArray got = rawRequest(port, email, "PAROLA", "/GET_FILE " + id + "\r\n/END\r\n", from);
            if (id.isEmpty() || !got.endsWith(archive)
                || !got.startsWith("#ATTACH " + id + " : " + QByteArray::number(archive.size()) + "\r\n/END\r\n"))
                ++failures;
        });
    for (std::thread& t : clients)
        t.join();

    const qint64 peakKb = statusKb(service.processId(), "VmHWM:");
    std::printf("service memory: %lld KB at start, peak %lld KB, for %d clients of 2 MB\n", startKb, peakKb, kClients);
    service.terminate();
    ASSERT_TRUE(service.waitForFinished(20000));
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(service.exitCode(), 0);
    // The archives are streamed through files: far less than the 100 MB sent
    // is ever held at once.
    EXPECT_LT(peakKb - startKb, 64 * 1024);
}
