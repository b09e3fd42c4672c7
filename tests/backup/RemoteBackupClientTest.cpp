// The remote backup client against the real backup service on loopback (the
// whole account and archive cycle), against a service that never answers or
// is stopped mid-transfer, and against hostile services.
#ifdef HESTAVO_WITH_SERVER
#include "backup/HttpGet.h"
#include "backup/RemoteBackup.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "engine/Database.h"
#include "tests/backup/ProgramFolderFixture.h"
#include "protocol/LinkMessage.h"
#include "tests/server/ServerThread.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace backup;
using namespace protocol;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The files a request leaves in the temporary folder's "TmpL226".
QStringList leftovers()
{
    return QDir(paths().tempFolder + "/TmpL226").entryList(QDir::Files);
}

class ClientFixture : public ProgramFolderFixture {
protected:
    RemoteSettings settingsFor(const ServerThread& server) const
    {
        RemoteSettings s;
        s.addressUrl = QString("http://127.0.0.1:%1/demo/BackUpS/adr.txt").arg(server.httpPort());
        s.endpoint.port = server.port();
        s.allowedHosts = {"127.0.0.1"};
        s.waitLimitMs = 20000;
        return s;
    }
};

server::ServerConfig storeConfig(const QString& folder) { return testConfig(folder); }

} // namespace

TEST_F(ClientFixture, WholeAccountCycleAgainstTheService)
{
    ServerThread server(storeConfig(m_dir.path() + "/store"));
    ASSERT_NE(server.port(), 0);
    RemoteAccount account{"ana@primaria.ro", "SECRET", "Primaria Dej", "Cluj"};
    RemoteBackupClient client(settingsFor(server), account);
    QStringList texts;
    client.progress = [&](const QString& t, qint64, qint64) {
        if (texts.isEmpty() || texts.last() != t)
            texts << t;
    };

    RemoteReply info = client.info();
    ASSERT_TRUE(info.ok()) << info.error.toStdString();
    EXPECT_TRUE(info.needsCode());
    EXPECT_EQ(texts.mid(0, 4), (QStringList{"Verific conexiunea...", "Conectare Server...", "Transmit comanda...",
                                            "Astept raspuns..."}));
    const QString code = QRegularExpression("\\b(\\d{6})\\b")
                             .match(outboxMail(server.outbox(), "To: ana@primaria.ro"))
                             .captured(1);
    ASSERT_FALSE(code.isEmpty());
    EXPECT_TRUE(client.checkCode((code.toInt() + 1) % 1000000).needsCode());
    info = client.checkCode(code.toInt());
    ASSERT_TRUE(info.ok());
    EXPECT_FALSE(info.needsCode());

    // A demo archive of 2 MB with bytes of every value.
    QByteArray archive(2 * 1024 * 1024, Qt::Uninitialized);
    for (quint32 i = 0; i < quint32(archive.size()); ++i)
        archive[i] = char((i * 7919u) >> 3);
    const QString archiveFile = m_dir.path() + "/demo.L21";
    QFile f(archiveFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(archive);
    f.close();
    ASSERT_TRUE(client.sendArchive(archiveFile, "Salvare \"demo\"").ok());
    EXPECT_FALSE(QFileInfo::exists(paths().tempFolder + "/Srv"));

    RemoteReply list = client.list();
    ASSERT_TRUE(list.ok()) << list.error.toStdString();
    ASSERT_EQ(list.files, QStringList{paths().tempFolder + "/Stoc.dbf"});
    engine::Database db(m_dir.path().toStdString());
    auto rows = db.open("SELECT IDSTOC, DATAORA, OBS FROM \"" + list.files[0].toStdString() + "\"");
    ASSERT_FALSE(rows->eof());
    const QString id = QString::fromStdString(rows->text("IDSTOC"));
    EXPECT_EQ(rows->text("OBS"), "Salvare demo");

    const RemoteReply got = client.fetch(id);
    ASSERT_TRUE(got.ok()) << got.error.toStdString();
    ASSERT_EQ(got.files, QStringList{paths().tempFolder + "/" + id});
    EXPECT_EQ(readAll(got.files[0]), archive);

    ASSERT_TRUE(client.remove(id).ok());
    list = client.list();
    ASSERT_TRUE(list.ok());
    rows = db.open("SELECT IDSTOC FROM \"" + list.files[0].toStdString() + "\"");
    EXPECT_TRUE(rows->eof());

    const RemoteReply reminder = client.emailPassword();
    ASSERT_TRUE(reminder.ok());
    EXPECT_EQ(reminder.messages().size(), 1);
    EXPECT_FALSE(outboxMail(server.outbox(), "temporara").isEmpty());
    ASSERT_TRUE(client.setPassword("NOUA").ok());
    EXPECT_TRUE(client.info().wrongPassword());
    RemoteBackupClient renewed(settingsFor(server), {"ana@primaria.ro", "NOUA", "Primaria Dej", "Cluj"});
    EXPECT_FALSE(renewed.info().wrongPassword());
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();
}

// An address file reached without a usable address, or no address-file URL at
// all, is a missing address; only a service that cannot be reached is "no
// internet".
TEST_F(ClientFixture, TheAddressFileMustHoldSevenToTwentyCharacters)
{
    struct Case {
        const char* address;
        bool usable;
    };
    const Case cases[] = {{"abcdef", false}, {"127.0.0.1", true}, {"a23456789012345678901", false}};
    for (const Case& c : cases) {
        server::ServerConfig config = storeConfig(m_dir.path() + "/s" + c.address);
        config.publicAddress = c.address;
        ServerThread server(config);
        const RemoteSettings settings = settingsFor(server);
        RemoteBackupClient client(settings, {"ana@primaria.ro", "X", "P", "C"});
        const RemoteReply reply = client.info();
        EXPECT_EQ(reply.error,
                  c.usable ? QString() : "Lipseste adresa serverului de salvari: " + settings.addressUrl + " nu o contine.")
            << c.address;
    }
    RemoteSettings nowhere;
    nowhere.addressUrl = "http://127.0.0.1:1/demo/BackUpS/adr.txt";
    EXPECT_EQ(RemoteBackupClient(nowhere, {"a@b.ro", "X", "P", "C"}).info().error, "Nu aveti internet!");
    RemoteSettings unset;
    unset.addressUrl.clear();
    EXPECT_EQ(RemoteBackupClient(unset, {"a@b.ro", "X", "P", "C"}).info().error,
              "Lipseste adresa serverului de salvari din setari (ADRESA_SALVARI).");
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();
}

TEST_F(ClientFixture, ARoomHasAlways140CharactersAndCredentialsEncodeAsDigits)
{
    const QByteArray room = RemoteRoom({"a@b.ro", QString(40, 'P'), "Primaria \"Dej\"", "Cluj"});
    EXPECT_EQ(room.size(), 140);
    EXPECT_EQ(room.left(40), QByteArray(40, 'P'));
    EXPECT_EQ(room.mid(40).trimmed(), "Primaria Dej /Cluj");
    EXPECT_EQ(RemoteRoom({"a@b.ro", "X", QString(200, 'T'), "C"}).size(), 140);
    EXPECT_EQ(RemoteUserName("a@b.ro"), "092a@b.ro");
    EXPECT_EQ(EncodeDigits("A1@"), "065049064");
    EXPECT_EQ(DecodeDigits("065049064"), "A1@");
    EXPECT_EQ(DecodeDigits(EncodeDigits("Parola Sigura 99")), "Parola Sigura 99");
}

TEST_F(ClientFixture, AServiceThatNeverAnswersTheLoginHitsTheWaitingLimit)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    RemoteSettings s;
    s.endpoint.host = "127.0.0.1";
    s.endpoint.port = silent.serverPort();
    s.waitLimitMs = 300;
    RemoteBackupClient client(s, {"a@b.ro", "X", "P", "C"});
    EXPECT_EQ(client.info().error, "Timp de asteptare prea mare!");
    EXPECT_TRUE(leftovers().isEmpty());

    silent.close();   // nobody listens: the connection is refused
    EXPECT_EQ(client.info().error, "Serverul nu raspunde!");
}

TEST_F(ClientFixture, AForcedStopDuringAnUploadLeavesNoFiles)
{
    ServerThread server(storeConfig(m_dir.path() + "/store"));
    RemoteBackupClient client(settingsFor(server), {"ana@primaria.ro", "SECRET", "P", "C"});
    // A confirmed account: the service takes a large request only from one.
    ASSERT_TRUE(client.info().ok());
    const QString code = QRegularExpression("\\b(\\d{6})\\b").match(outboxMail(server.outbox(), "Cod")).captured(1);
    ASSERT_FALSE(client.checkCode(code.toInt()).needsCode());
    const QString archiveFile = m_dir.path() + "/big.L21";
    QFile f(archiveFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8 * 1024 * 1024, 'z'));
    f.close();
    client.progress = [&](const QString& text, qint64 position, qint64) {
        if (text == "Transmit comanda..." && position > 0)
            client.stop();
    };
    EXPECT_EQ(client.sendArchive(archiveFile, "x").error, "Oprire fortata.");
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();
    EXPECT_FALSE(QFileInfo::exists(paths().tempFolder + "/Srv"));
}

namespace {

// A service that follows the protocol up to the request and then answers with
// the scripted bytes (which may be anything).
class ScriptedService : public QObject {
public:
    // packetDelayMs: how long the service waits before asking for each packet.
    explicit ScriptedService(std::function<void(QTcpSocket*)> reply, int packetDelayMs = 0)
        : m_reply(std::move(reply))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this, packetDelayMs] {
            QTcpSocket* s = m_server.nextPendingConnection();
            s->write(encodeMessage(kAskLogin));
            connect(s, &QTcpSocket::readyRead, this, [this, s, packetDelayMs] {
                m_reader.feed(s->readAll());
                LinkMessage m;
                while (m_reader.next(&m)) {
                    if (m.type == kLogin)
                        s->write(encodeMessage(kLoginAccepted));
                    else if (m.type == kAnnounce) {
                        decodeAnnounce(m.payload, &m_size);
                        s->write(encodeMessage(kAccept));
                    } else if (m.type == kData) {
                        m_got += m.payload.size();
                        if (m_got < m_size)
                            QTimer::singleShot(packetDelayMs, s, [s] { s->write(encodeMessage(kNextPacket)); });
                        else {
                            s->write(encodeMessage(kComplete));
                            m_reply(s);
                        }
                    }
                }
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    LinkReader m_reader;
    quint32 m_size = 0;
    qint64 m_got = 0;
    std::function<void(QTcpSocket*)> m_reply;
};

// A whole reply stream: announcement and one data packet.
void sendReply(QTcpSocket* s, const QByteArray& bytes)
{
    s->write(encodeMessage(kAnnounce, encodeAnnounce(quint32(bytes.size()), "\"trimit\"")));
    s->write(encodeMessage(kData, bytes));
}

} // namespace

TEST_F(ClientFixture, HostileServicesAreRefusedCleanly)
{
    struct Case {
        const char* name;
        std::function<void(QTcpSocket*)> reply;
        QString error;   // the error the fetch ends with
    };
    const Case cases[] = {
        {"lying length", [](QTcpSocket* s) { s->write(QByteArray("\xFF\xFF\xFF\x7F\x13\x00\x00\x00", 8)); },
         "Eroare la transmisie."},
        {"attachment named ../x", [](QTcpSocket* s) { sendReply(s, "#ATTACH ../x : 1\r\n/END\r\nx"); },
         "Raspuns incorect de la server: Fisier atasat incorect: #ATTACH ../x : 1"},
        {"attachment under a name not asked for", [](QTcpSocket* s) { sendReply(s, "#ATTACH Comanda0.cmd : 1\r\n/END\r\nx"); },
         "Serverul nu a trimis salvarea."},
        // A reply cut short is a failed transfer, whatever its first lines say.
        {"reply without /END", [](QTcpSocket* s) { sendReply(s, "#ATTACH 7 : 1\r\n/MSG_DLG x\r\nx"); },
         "Eroare la transmisie."},
        {"disconnect mid-stream", [](QTcpSocket* s) {
             s->write(encodeMessage(kAnnounce, encodeAnnounce(5000, "\"trimit\"")));
             s->write(encodeMessage(kData, QByteArray(100, 'x')));
             s->flush();
             s->disconnectFromHost();
         }, "Eroare la transmisie."},
        {"more data than announced", [](QTcpSocket* s) {
             s->write(encodeMessage(kAnnounce, encodeAnnounce(10, "\"trimit\"")));
             s->write(encodeMessage(kData, QByteArray(20, 'x')));
         }, "Eroare la transmisie."},
        {"data never announced", [](QTcpSocket* s) { s->write(encodeMessage(kData, "x")); },
         "Eroare la transmisie."},
        {"reply announced above the limit", [](QTcpSocket* s) {
             s->write(encodeMessage(kAnnounce, encodeAnnounce(0xFFFFFFF0u, "\"trimit\"")));
         }, "Serverul a anuntat un raspuns de 4095 MB, peste limita de 2000 MB."},
    };
    for (const Case& c : cases) {
        ScriptedService service(c.reply);
        RemoteSettings s;
        s.endpoint.host = "127.0.0.1";
        s.endpoint.port = service.port();
        s.waitLimitMs = 2000;   // the scripted service never closes the link
        RemoteBackupClient client(s, {"a@b.ro", "X", "P", "C"});
        EXPECT_EQ(client.fetch("7").error, c.error) << c.name;
        EXPECT_TRUE(leftovers().isEmpty()) << c.name;
        EXPECT_EQ(QDir(paths().tempFolder).entryList(QDir::Files), QStringList()) << c.name;
        EXPECT_FALSE(QFileInfo::exists(paths().tempFolder + "/../x")) << c.name;
    }
}

TEST_F(ClientFixture, TheSameCycleRunsOverTlsWithTheCertificateChecked)
{
    const QString tls = QString(HESTAVO_TEST_DATA) + "/tls";
    server::ServerConfig config = storeConfig(m_dir.path() + "/store");
    config.plain = false;
    config.tlsCert = tls + "/server.crt";
    config.tlsKey = tls + "/server.key";
    ServerThread server(config);
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    RemoteSettings s = settingsFor(server);
    s.endpoint.tls = true;
    s.endpoint.caFile = tls + "/server.crt";
    RemoteBackupClient client(s, {"ana@primaria.ro", "SECRET", "P", "C"});
    RemoteReply info = client.info();
    ASSERT_TRUE(info.ok()) << info.error.toStdString();
    EXPECT_TRUE(info.needsCode());
    const QString code = QRegularExpression("\\b(\\d{6})\\b").match(outboxMail(server.outbox(), "Cod")).captured(1);
    ASSERT_FALSE(client.checkCode(code.toInt()).needsCode());
    const QString archiveFile = m_dir.path() + "/tls.L21";
    QFile f(archiveFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray archive = QByteArray("TLS archive ").repeated(20000);
    f.write(archive);
    f.close();
    ASSERT_TRUE(client.sendArchive(archiveFile, "tls").ok());
    const RemoteReply list = client.list();
    ASSERT_TRUE(list.ok());
    engine::Database db(m_dir.path().toStdString());
    const QString id = QString::fromStdString(
        db.open("SELECT IDSTOC FROM \"" + list.files[0].toStdString() + "\"")->text("IDSTOC"));
    const RemoteReply got = client.fetch(id);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(readAll(got.files.value(0)), archive);

    // A certificate the client does not trust, or no TLS at all: no login.
    const int accounts = QDir(server.outbox()).entryList(QDir::Files).size();
    RemoteSettings untrusted = s;
    untrusted.endpoint.caFile = tls + "/other.crt";
    EXPECT_EQ(RemoteBackupClient(untrusted, {"dan@primaria.ro", "PAROLA", "P", "C"}).info().error,
              "Serverul nu raspunde!");
    RemoteSettings plain = s;
    plain.endpoint.tls = false;
    plain.waitLimitMs = 2000;
    EXPECT_FALSE(RemoteBackupClient(plain, {"dan@primaria.ro", "PAROLA", "P", "C"}).info().ok());
    EXPECT_EQ(QDir(server.outbox()).entryList(QDir::Files).size(), accounts);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();
}

TEST_F(ClientFixture, ATransferLongerThanTheWaitingLimitGoesOnWhileTheServiceAnswers)
{
    ScriptedService slow([](QTcpSocket* s) { sendReply(s, "/OK 1\r\n/END\r\n"); }, 150);
    RemoteSettings s;
    s.endpoint.host = "127.0.0.1";
    s.endpoint.port = slow.port();
    s.waitLimitMs = 600;
    const QString archiveFile = m_dir.path() + "/slow.L21";
    QFile f(archiveFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(12 * kPacketSize, 's'));   // twelve packets, each asked for after 150 ms
    f.close();
    RemoteBackupClient client(s, {"a@b.ro", "X", "P", "C"});
    const RemoteReply reply = client.sendArchive(archiveFile, "lent");
    EXPECT_TRUE(reply.ok()) << reply.error.toStdString();
    EXPECT_EQ(reply.reply.value("/OK"), "1");
}

TEST_F(ClientFixture, HttpGetReportsNoConnectionAndUnwritableFiles)
{
    ServerThread server(storeConfig(m_dir.path() + "/store"));
    const QString url = QString("http://127.0.0.1:%1/demo/BackUpS/adr.txt").arg(server.httpPort());
    EXPECT_EQ(HttpGetToFile(url, m_dir.path() + "/adr.txt"), 0);
    EXPECT_EQ(readAll(m_dir.path() + "/adr.txt"), "127.0.0.1\r\n");
    EXPECT_EQ(HttpGetToFile(url, m_dir.path() + "/no/such/folder/adr.txt"), 1);
    EXPECT_EQ(HttpGetToFile("http://127.0.0.1:1/x", m_dir.path() + "/none.txt"), 2);
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/none.txt"));
}

TEST_F(ClientFixture, AnEndlessAddressFileIsCutOffAfterAFewKilobytes)
{
    // A hostile web server: an address line, then megabytes without end.
    QTcpServer web;
    ASSERT_TRUE(web.listen(QHostAddress::LocalHost));
    QObject::connect(&web, &QTcpServer::newConnection, [&web] {
        QTcpSocket* s = web.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n127.0.0.1\r\n");
            for (int i = 0; i < 64; ++i)
                s->write(QByteArray(256 * 1024, 'x'));
            s->disconnectFromHost();
        });
    });
    const QString url = QString("http://127.0.0.1:%1/demo/BackUpS/adr.txt").arg(web.serverPort());
    EXPECT_EQ(HttpGetToFile(url, m_dir.path() + "/adr.txt", 20000, 4096), 2);
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/adr.txt"));
    EXPECT_EQ(FetchServerAddress(url), QString());
    EXPECT_TRUE(QDir(paths().tempFolder).entryList(QDir::Files).isEmpty());
}

TEST_F(ClientFixture, TheAddressFileMayNameOnlyTheServersOfTheSettings)
{
    ServerThread server(storeConfig(m_dir.path() + "/store"));
    RemoteSettings s = settingsFor(server);
    s.allowedHosts = defaultAllowedHosts();
    const RemoteReply reply = RemoteBackupClient(s, {"ana@primaria.ro", "SECRET", "P", "C"}).info();
    EXPECT_TRUE(reply.error.contains("127.0.0.1")) << reply.error.toStdString();
    EXPECT_TRUE(reply.error.contains("nu este in lista")) << reply.error.toStdString();
    // The password never went there.
    EXPECT_TRUE(QDir(server.outbox()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(ClientFixture, TheProgramSpeaksTlsUnlessPlainIsChosen)
{
    RemoteSettings s = RemoteSettings::fromMachineSettings();
    EXPECT_TRUE(s.endpoint.tls);
    EXPECT_EQ(s.allowedHosts, defaultAllowedHosts());
    WriteMachineSetting("TLS_SALVARI", "NU");
    WriteMachineSetting("SERVERE_SALVARI", "a.exemplu.ro, b.exemplu.ro");
    s = RemoteSettings::fromMachineSettings();
    EXPECT_FALSE(s.endpoint.tls);
    EXPECT_EQ(s.allowedHosts, QStringList({"a.exemplu.ro", "b.exemplu.ro"}));
}
#endif
