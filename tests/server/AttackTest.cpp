// The backup service against the attacks of a hostile client on the open
// internet, each played on loopback with real sockets: taking over an account
// registered first, holding connections, flooding without reading, parking
// payload without a password, guessing passwords and codes, creating accounts
// in bulk, flooding the web side, and what is stored on disk.
#include "tests/server/ServiceFixture.h"
#include "tests/backup/SmallDisk.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>

#include <malloc.h>
#include <sys/socket.h>

#include <vector>

using namespace protocol;

namespace {

// Bytes of all files under a folder.
qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    return total;
}

// Heap memory this process has in use (all threads), in kilobytes.
qint64 heapInUseKb()
{
    const struct mallinfo2 info = ::mallinfo2();
    return qint64(info.uordblks + info.hblkhd) / 1024;
}

// True when the peer closes the socket within the time (bytes it sends are read and dropped).
bool closesWithin(QTcpSocket& socket, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (socket.state() == QAbstractSocket::ConnectedState && clock.elapsed() < ms) {
        socket.waitForReadyRead(50);
        socket.readAll();
    }
    return socket.state() != QAbstractSocket::ConnectedState;
}

QByteArray httpGet(quint16 port, const QByteArray& target, const QString& from = QStringLiteral("127.0.0.1"))
{
    QTcpSocket s;
    s.bind(QHostAddress(from));
    s.connectToHost("127.0.0.1", port);
    if (!s.waitForConnected(5000))
        return {};
    s.write("GET " + target + " HTTP/1.0\r\nHost: x\r\n\r\n");
    QByteArray reply;
    while (s.waitForReadyRead(5000))
        reply += s.readAll();
    return reply + s.readAll();
}

class Attack : public ServiceFixture {};

} // namespace

TEST_F(Attack, AnOwnerWhoRecoversTheAddressShutsOutWhoRegisteredItFirst)
{
    ASSERT_EQ(ask("ana@primaria.ro", "ATACATOR", request({"/INFO"})).value("/CODCONF"), "NO");
    RawClient held(m_server->port());
    ASSERT_TRUE(held.login("ana@primaria.ro", "ATACATOR"));

    ask("ana@primaria.ro", "NUSTIU", request({"/EMAIL_PASS"}));
    const QRegularExpressionMatch m =
        QRegularExpression("temporara .* este: ([A-Z0-9]{10})").match(outboxMail(m_server->outbox(), "temporara"));
    ASSERT_TRUE(m.hasMatch());
    const QByteArray temporary = m.captured(1).toLatin1();
    // The e-mailed password proves the mailbox: the account is the owner's now.
    EXPECT_EQ(ask("ana@primaria.ro", temporary, request({"/INFO"})).value("/CODCONF"), "DA");
    EXPECT_EQ(ask("ana@primaria.ro", "ATACATOR", request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_TRUE(closesWithin(held.socket(), 3000));
    EXPECT_EQ(ask("ana@primaria.ro", temporary, request({"/INFO"})).value("/CODCONF"), "DA");
}

TEST_F(Attack, ConnectionsHeldFromOneAddressLeaveRoomForEveryoneElse)
{
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 510; ++i)
        idle.push_back(std::make_unique<RawClient>(m_server->port(), "127.0.0.2"));
    QThread::msleep(300);
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/CODCONF"), "NO");
    int open = 0;
    for (auto& c : idle)
        open += closesWithin(c->socket(), 1) ? 0 : 1;
    EXPECT_LE(open, 8);
}

TEST_F(Attack, UnfinishedTlsHandshakesNeitherLastNorShutOthersOut)
{
    server::ServerConfig config = testConfig(m_store.path() + "/tls");
    config.plain = false;
    config.tlsCert = HESTAVO_TLS_DATA "/server.crt";
    config.tlsKey = HESTAVO_TLS_DATA "/server.key";
    startService(config);
    std::vector<std::unique_ptr<QTcpSocket>> stalled;
    for (int i = 0; i < 40; ++i) {
        stalled.push_back(std::make_unique<QTcpSocket>());
        stalled.back()->bind(QHostAddress("127.0.0.2"));
        stalled.back()->connectToHost("127.0.0.1", m_server->port());
        ASSERT_TRUE(stalled.back()->waitForConnected(5000));
    }
    // A handshake that fails (no TLS at all, an old TLS version) ends that link only.
    QTcpSocket wrong;
    wrong.connectToHost("127.0.0.1", m_server->port());
    ASSERT_TRUE(wrong.waitForConnected(5000));
    wrong.write("GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(closesWithin(wrong, 3000));
    const QString openssl = QStandardPaths::findExecutable("openssl");
    if (!openssl.isEmpty()) {
        // TLS 1.2 and later only, as openssl s_client sees it.
        for (const char* version : {"-tls1", "-tls1_1", "-tls1_2", "-tls1_3"}) {
            QProcess client;
            client.start(openssl, {"s_client", "-connect", QString("127.0.0.1:%1").arg(m_server->port()), version});
            client.closeWriteChannel();
            ASSERT_TRUE(client.waitForFinished(10000)) << version;
            const bool modern = qstrcmp(version, "-tls1_2") >= 0;
            EXPECT_EQ(client.exitCode() == 0, modern) << version << client.readAllStandardError().constData();
        }
    }
    QSslSocket honest;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.addCaCertificates(HESTAVO_TLS_DATA "/server.crt");
    honest.setSslConfiguration(ssl);
    honest.connectToHostEncrypted("127.0.0.1", m_server->port());
    EXPECT_TRUE(honest.waitForEncrypted(5000)) << honest.errorString().toStdString();
    EXPECT_TRUE(honest.waitForReadyRead(5000));
    EXPECT_EQ(honest.read(8), encodeMessage(kAskLogin));
    // The handshake has its own short deadline.
    EXPECT_TRUE(closesWithin(*stalled.front(), 4000));
}

TEST_F(Attack, ConnectionsThatDawdleAreClosedAtTheirDeadlineWhateverTheyTrickleIn)
{
    confirmedAccount("ana@primaria.ro", "A1");
    struct Case {
        const char* name;
        std::function<bool(RawClient&)> start;   // false when the set-up failed
        QByteArray trickle;                       // sent every 200 ms after the start
    };
    const Case cases[] = {
        {"pings instead of a login", [](RawClient& c) { return c.receive().type == kAskLogin; },
         encodeMessage(kPing)},
        {"pings instead of a request", [](RawClient& c) { return c.login("ana@primaria.ro", "A1"); },
         encodeMessage(kPing)},
        {"one byte a packet", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             c.send(kAnnounce, encodeAnnounce(1000000, "\"trimit\""));
             return c.receive().type == kAccept;
         }, encodeMessage(kData, "x")},
    };
    for (const Case& c : cases) {
        RawClient client(m_server->port());
        ASSERT_TRUE(c.start(client)) << c.name;
        QElapsedTimer clock;
        clock.start();
        bool closed = false;
        while (!closed && clock.elapsed() < 5000) {
            client.socket().write(c.trickle);
            closed = closesWithin(client.socket(), 200);
        }
        EXPECT_TRUE(closed) << c.name;
    }
}

TEST_F(Attack, AClientThatAsksForEverythingAndReadsNothingDoesNotGrowTheServiceMemory)
{
    confirmedAccount("ana@primaria.ro", "A1");
    const QByteArray archive(16 * 1024 * 1024, 'm');
    const QString id = ask("ana@primaria.ro", "A1", request({"/PUT_FILE mare"}, {{"Srv", archive}})).value("/OK");
    ASSERT_FALSE(id.isEmpty());
    RawClient greedy(m_server->port());
    ASSERT_TRUE(greedy.login("ana@primaria.ro", "A1"));
    const QByteArray get = request({"/GET_FILE " + id});
    greedy.send(kAnnounce, encodeAnnounce(quint32(get.size()), "\"trimit\""));
    ASSERT_EQ(greedy.receive().type, quint32(kAccept));
    greedy.send(kData, get);
    ASSERT_EQ(greedy.receive().type, quint32(kComplete));
    ASSERT_EQ(greedy.receive().type, quint32(kAnnounce));
    // The client's kernel takes few of the replies.
    const int fd = int(greedy.socket().socketDescriptor());
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const qint64 before = heapInUseKb();
    // Every packet asked for at once (each request brings 64 KB), none read.
    const QByteArray askAll = encodeMessage(kAccept) + encodeMessage(kNextPacket).repeated(300);
    ASSERT_EQ(::send(fd, askAll.constData(), size_t(askAll.size()), 0), askAll.size());
    QThread::msleep(1500);
    const qint64 grown = heapInUseKb() - before;
    EXPECT_LT(grown, 6 * 1024);
}

TEST_F(Attack, DownloadsHeldOpenAreStreamedFromTheStoredFile)
{
    confirmedAccount("ana@primaria.ro", "A1");
    const QByteArray archive(6 * 1024 * 1024, 'a');
    const QString id = ask("ana@primaria.ro", "A1", request({"/PUT_FILE mare"}, {{"Srv", archive}})).value("/OK");
    ASSERT_FALSE(id.isEmpty());
    std::vector<std::unique_ptr<RawClient>> readers;
    for (int i = 0; i < 3; ++i) {
        readers.push_back(std::make_unique<RawClient>(m_server->port()));
        RawClient& c = *readers.back();
        ASSERT_TRUE(c.login("ana@primaria.ro", "A1"));
        const QByteArray get = request({"/GET_FILE " + id});
        c.send(kAnnounce, encodeAnnounce(quint32(get.size()), "\"trimit\""));
        ASSERT_EQ(c.receive().type, quint32(kAccept));
        c.send(kData, get);
        ASSERT_EQ(c.receive().type, quint32(kComplete));
        ASSERT_EQ(c.receive().type, quint32(kAnnounce));
        c.send(kAccept);
        ASSERT_EQ(c.receive().type, quint32(kData));   // and never asks for more
    }
    EXPECT_LT(folderBytes(m_store.path() + "/tmp"), 1024 * 1024);
}

TEST_F(Attack, NoPayloadIsTakenBeforeThePasswordIsRight)
{
    confirmedAccount("ana@primaria.ro", "A1");
    const QByteArray big = request({"/PUT_FILE x"}, {{"Srv", QByteArray(3 * 1024 * 1024, 'z')}});
    struct Case {
        const char* name;
        QByteArray email;
        QByteArray password;
    };
    const Case cases[] = {{"wrong password", "ana@primaria.ro", "GRESIT"},
                          {"unknown account", "nimeni@primaria.ro", "ORICE"}};
    for (const Case& c : cases) {
        RawClient client(m_server->port());
        ASSERT_TRUE(client.login(c.email, c.password)) << c.name;
        const ParsedFile reply = parse(client.transact(big));
        EXPECT_TRUE(reply.value("/OK").isNull()) << c.name;
        EXPECT_TRUE(reply.has("/PASS") || reply.has("/EROARE")) << c.name;
        EXPECT_LT(client.dataSent(), 128 * 1024) << c.name;
    }
}

TEST_F(Attack, AnUploadThatWouldEatIntoTheDiskReserveIsRefusedBeforeItsBytes)
{
    server::ServerConfig config = testConfig(m_store.path() + "/rezerva");
    config.reserveBytes = 1LL << 60;
    startService(config);
    confirmedAccount("ana@primaria.ro", "A1");
    for (const int size : {1000, 300 * 1024}) {
        RawClient client(m_server->port());
        ASSERT_TRUE(client.login("ana@primaria.ro", "A1"));
        const ParsedFile reply = parse(client.transact(request({"/PUT_FILE x"}, {{"Srv", QByteArray(size, 'r')}})));
        EXPECT_TRUE(reply.value("/EROARE").contains("spatiu")) << size;
        EXPECT_TRUE(reply.value("/OK").isNull()) << size;
        if (size > 64 * 1024) {
            EXPECT_LT(client.dataSent(), 128 * 1024);
        }
    }
}

TEST_F(Attack, OneAccountHoldsOnlyAFewLinksAtOnce)
{
    confirmedAccount("ana@primaria.ro", "A1");
    std::vector<std::unique_ptr<RawClient>> links;
    for (int i = 0; i < 4; ++i) {
        links.push_back(std::make_unique<RawClient>(m_server->port(), QString("127.0.2.%1").arg(i + 1)));
        ASSERT_TRUE(links.back()->login("ana@primaria.ro", "A1"));
    }
    RawClient fifth(m_server->port(), "127.0.2.9");
    ASSERT_EQ(fifth.receive().type, quint32(kAskLogin));
    fifth.send(kLogin, encodeLogin("092ana@primaria.ro", QByteArray("A1").leftJustified(40, ' ') + "P/C"));
    EXPECT_EQ(fifth.receive().type, quint32(kNameInUse));
    links.clear();
    QThread::msleep(200);
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/CODCONF"), "DA");
}

TEST_F(Attack, AWriteErrorIsReportedAsSuch)
{
    const QString disk = m_store.path() + "/mic";
    SmallDisk small(disk, 2048);
    if (!small.mounted())
        GTEST_SKIP() << "no right to mount a small disk here";
    startService(testConfig(disk));
    confirmedAccount("ana@primaria.ro", "A1");
    RawClient client(m_server->port());
    ASSERT_TRUE(client.login("ana@primaria.ro", "A1"));
    const QByteArray put = request({"/PUT_FILE plin"}, {{"Srv", QByteArray(400 * 1024, 'p')}});
    client.send(kAnnounce, encodeAnnounce(quint32(put.size()), "\"trimit\""));
    ASSERT_EQ(client.receive().type, quint32(kAccept));
    {
        // Someone else fills the disk meanwhile.
        QFile filler(disk + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(64 * 1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    QByteArray reply;
    client.send(kData, put.left(kPacketSize));
    qsizetype sent = kPacketSize;
    quint32 size = 0;
    for (bool done = false; !done;) {
        const LinkMessage m = client.receive(5000);
        switch (m.type) {
        case kAccept:
        case kNextPacket:
            break;
        case kComplete:
            continue;
        case kAnnounce:
            decodeAnnounce(m.payload, &size);
            client.send(kAccept);
            continue;
        case kData:
            reply += m.payload;
            if (reply.size() < qsizetype(size))
                client.send(kNextPacket);
            else
                done = true;
            continue;
        default:
            done = true;
            continue;
        }
        client.send(kData, put.mid(sent, kPacketSize));
        sent += kPacketSize;
    }
    EXPECT_TRUE(reply.contains("/EROARE")) << reply.constData();
    EXPECT_FALSE(reply.contains("/OK"));
}

TEST_F(Attack, GuessesCountOnePerRequestPerAccountAndPerAddress)
{
    ASSERT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/CODCONF"), "NO");
    const QString code = mailedCode("ana@primaria.ro");
    QStringList guesses;
    for (int i = 0; i < 197; ++i)
        guesses << QString("/CHECKCOD %1").arg((code.toInt() + 1 + i) % 1000000, 6, 10, QChar('0'));
    guesses << "/CHECKCOD " + code << "/INFO";
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request(guesses)).value("/CODCONF"), "NO");

    // Eight links logged in (to two accounts) before any failure is counted.
    confirmedAccount("dan@primaria.ro", "D1");
    confirmedAccount("eva@primaria.ro", "E1");
    std::vector<std::unique_ptr<RawClient>> guessers;
    for (int i = 0; i < 8; ++i) {
        guessers.push_back(std::make_unique<RawClient>(m_server->port(), "127.0.0.3"));
        ASSERT_TRUE(guessers.back()->login(i % 2 ? "dan@primaria.ro" : "eva@primaria.ro",
                                           QByteArray("GHICIT") + char('0' + i)));
    }
    int tried = 0;
    for (auto& g : guessers)
        tried += parse(g->transact(request({"/INFO"}))).value("/PASS") == "NO" ? 1 : 0;
    EXPECT_LE(tried, 5);

    // Guessed at from many addresses, the account itself is shut for a while, for every address.
    confirmedAccount("ion@primaria.ro", "I1");
    for (int i = 0; i < 5; ++i)
        ask("ion@primaria.ro", QByteArray("GHICIT") + char('0' + i), request({"/INFO"}), QString("127.0.3.%1").arg(i + 1));
    EXPECT_TRUE(ask("ion@primaria.ro", "I1", request({"/INFO"}), "127.0.3.9").value("/CODCONF").isNull());
}

TEST_F(Attack, AccountsCannotBeMadeInBulkNorFoundOut)
{
    for (int i = 0; i < 10; ++i)
        ask(QString("cont%1@exemplu.ro").arg(i).toLatin1(), "P", request({"/INFO"}), "127.0.0.5");
    EXPECT_LE(QDir(m_server->outbox()).entryList(QDir::Files).size(), 5);

    confirmedAccount("ana@primaria.ro", "A1");
    const QString known = ask("ana@primaria.ro", "X", request({"/EMAIL_PASS"})).value("/MSG_DLG");
    const QString unknown = ask("nimeni@primaria.ro", "X", request({"/EMAIL_PASS"})).value("/MSG_DLG");
    EXPECT_FALSE(known.isEmpty());
    EXPECT_EQ(known, unknown);
}

TEST_F(Attack, TheWebSideCapsConnectionsAndSuggestionsPerAddress)
{
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 50; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->bind(QHostAddress("127.0.0.6"));
        idle.back()->connectToHost("127.0.0.1", m_server->httpPort());
        ASSERT_TRUE(idle.back()->waitForConnected(5000));
    }
    QThread::msleep(300);
    int open = 0;
    for (auto& s : idle)
        open += closesWithin(*s, 1) ? 0 : 1;
    EXPECT_LE(open, 8);
    EXPECT_TRUE(httpGet(m_server->httpPort(), "/demo/BackUpS/adr.txt").contains("127.0.0.1"));

    const QByteArray text = QByteArray("o+sugestie+lunga+").repeated(100);
    int taken = 0;
    for (int i = 0; i < 20; ++i)
        taken += httpGet(m_server->httpPort(), "/sugestii.php?nume=Ion&mail=ion%40dej.ro&produs=" + text, "127.0.0.7")
                     .contains("SUCCES");
    EXPECT_LE(taken, 5);
    EXPECT_EQ(QDir(m_store.path() + "/sugestii").entryList(QDir::Files).size(), taken);
}

TEST_F(Attack, StoredFilesAreTheServiceOwnAndNotesHoldNoControlCharacters)
{
    confirmedAccount("ana@primaria.ro", "A1");
    const QString id =
        ask("ana@primaria.ro", "A1", request({"/PUT_FILE a\x01" "b\x1b[31mc\x7f"}, {{"Srv", "arhiva"}})).value("/OK");
    ASSERT_FALSE(id.isEmpty());
    QDirIterator it(m_store.path() + "/archives", QDir::Files, QDirIterator::Subdirectories);
    QStringList files{m_store.path() + "/accounts.db"};
    while (it.hasNext())
        files << it.next();
    files << QDir(m_server->outbox()).entryInfoList(QDir::Files).value(0).filePath();
    for (const QString& f : files)
        EXPECT_EQ(QFileInfo(f).permissions().toInt() & 0x0077, 0) << f.toStdString();   // nothing for group and others

    const ParsedFile list = ask("ana@primaria.ro", "A1", request({"/GET_STOC"}));
    ASSERT_EQ(list.attachments.size(), 1);
    QFile dbf(list.attachments[0].path);
    ASSERT_TRUE(dbf.open(QIODevice::ReadOnly));
    const QByteArray table = dbf.readAll();
    EXPECT_TRUE(table.contains("ab[31mc")) << table.toHex().constData();
}
