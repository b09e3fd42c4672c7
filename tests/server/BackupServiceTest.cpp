// The backup service against clients that follow the protocol and clients
// that do not: accounts and codes, per-account archives, hashed passwords,
// hostile input refused while other clients are still served, the web
// endpoints, and a clean stop on SIGTERM.
#include "server/AccountStore.h"
#include "server/Outbox.h"
#include "server/WebEndpoint.h"
#include "tests/server/ServiceFixture.h"

#include "engine/Database.h"
#include "protocol/RequestFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace protocol;

namespace {

QCoreApplication& app() { return testApp(); }

class BackupService : public ServiceFixture {
protected:
    void SetUp() override
    {
        testApp();
        server::ServerConfig config = testConfig(m_store.path());
        config.quotaBytes = 4 * 1024 * 1024;
        startService(config);
    }
};

} // namespace

TEST_F(BackupService, FirstLoginCreatesTheAccountAndTheCodeConfirmsIt)
{
    const ParsedFile first = ask("ana@primaria.ro", "SECRET", request({"/INFO"}));
    EXPECT_EQ(first.value("/CODCONF"), "NO");
    EXPECT_EQ(first.value("/DATAIN"), QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_EQ(first.value("/DATAEXP"), QDate::currentDate().addYears(1).toString("dd.MM.yyyy"));
    bool number = false;
    const double now = first.value("/NOWSERVER").toDouble(&number);
    EXPECT_TRUE(number);
    EXPECT_NEAR(now, server::dayTime(QDateTime::currentDateTime()), 0.01);

    EXPECT_EQ(ask("ana@primaria.ro", "SECRET", request({"/CHECKCOD 000000", "/INFO"})).value("/CODCONF"), "NO");
    EXPECT_EQ(ask("ana@primaria.ro", "ALTA", request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_TRUE(ask("ana@primaria.ro", "SECRET", request({"/PUT_FILE x"}, {{"Srv", "data"}}))
                    .value("/EROARE")
                    .contains("nu este confirmat"));
    confirmedAccount("ana@primaria.ro", "SECRET");
}

TEST_F(BackupService, PasswordsAreStoredOnlyAsSaltedDigests)
{
    ask("ana@primaria.ro", "PAROLA123", request({"/INFO"}));
    ask("dan@primaria.ro", "PAROLA123", request({"/INFO"}));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_store.path() + "/accounts.db").toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT password FROM accounts ORDER BY id", -1, &st, nullptr);
    QStringList digests;
    while (sqlite3_step(st) == SQLITE_ROW)
        digests << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    ASSERT_EQ(digests.size(), 2);
    EXPECT_FALSE(digests[0].contains("PAROLA123"));
    EXPECT_TRUE(digests[0].startsWith("$argon2id$"));
    EXPECT_NE(digests[0], digests[1]);   // the same password, different salts
    EXPECT_TRUE(server::checkPassword("PAROLA123", digests[0]));
    EXPECT_FALSE(server::checkPassword("parola123", digests[0]));
}

namespace {

// Runs one statement on the service's database, as an older installation or
// the passing of time would have left it; returns the first column of the
// first row.
QString storeSql(const QString& store, const QString& statement)
{
    sqlite3* db = nullptr;
    sqlite3_open((store + "/accounts.db").toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* st = nullptr;
    QString first;
    if (sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        first = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return first;
}

} // namespace

TEST_F(BackupService, AnOlderDigestIsReplacedAtTheNextGoodLogin)
{
    confirmedAccount("ana@primaria.ro", "VECHE");
    storeSql(m_store.path(), "UPDATE accounts SET password='" + server::hashPasswordPbkdf2("VECHE", 10000)
                                 + "' WHERE email='ana@primaria.ro'");
    EXPECT_EQ(ask("ana@primaria.ro", "ALTA", request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_TRUE(storeSql(m_store.path(), "SELECT password FROM accounts").startsWith("pbkdf2-sha256$10000$"));
    EXPECT_EQ(ask("ana@primaria.ro", "VECHE", request({"/INFO"})).value("/CODCONF"), "DA");
    const QString digest = storeSql(m_store.path(), "SELECT password FROM accounts");
    EXPECT_TRUE(digest.startsWith("$argon2id$")) << digest.toStdString();
    EXPECT_TRUE(server::checkPassword("VECHE", digest));
    EXPECT_EQ(ask("ana@primaria.ro", "VECHE", request({"/INFO"})).value("/CODCONF"), "DA");
}

TEST_F(BackupService, CodesAndTemporaryPasswordsAreDigestsThatRunOut)
{
    ASSERT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/CODCONF"), "NO");
    const QString code = mailedCode("ana@primaria.ro");
    ASSERT_EQ(code.size(), 6);
    EXPECT_FALSE(storeSql(m_store.path(), "SELECT code FROM accounts").contains(code));
    const QString day = QString::number(QDateTime::currentSecsSinceEpoch() - 25 * 3600);
    storeSql(m_store.path(), "UPDATE accounts SET code_issued=" + day);
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/CHECKCOD " + code, "/INFO"})).value("/CODCONF"), "NO");

    // Left unconfirmed for two days, the address may be registered anew.
    storeSql(m_store.path(), "UPDATE accounts SET created_at="
                                 + QString::number(QDateTime::currentSecsSinceEpoch() - 49 * 3600));
    EXPECT_EQ(ask("ana@primaria.ro", "B2", request({"/INFO"})).value("/CODCONF"), "NO");
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/PASS"), "NO");
    const QString fresh = mailedCode("ana@primaria.ro");
    EXPECT_EQ(ask("ana@primaria.ro", "B2", request({"/CHECKCOD " + fresh, "/INFO"})).value("/CODCONF"), "DA");

    ask("ana@primaria.ro", "X", request({"/EMAIL_PASS"}));
    const QString temporary = QRegularExpression("temporara .* este: ([A-Z0-9]{10})")
                                  .match(outboxMail(m_server->outbox(), "temporara"))
                                  .captured(1);
    ASSERT_FALSE(temporary.isEmpty());
    EXPECT_FALSE(storeSql(m_store.path(), "SELECT temp_password FROM accounts").contains(temporary));
    storeSql(m_store.path(), "UPDATE accounts SET last_reminder=" + day);
    EXPECT_EQ(ask("ana@primaria.ro", temporary.toLatin1(), request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_EQ(ask("ana@primaria.ro", "B2", request({"/INFO"})).value("/CODCONF"), "DA");
}

TEST_F(BackupService, ArchivesAreListedFetchedAndDeletedOnlyByTheirOwner)
{
    confirmedAccount("ana@primaria.ro", "A1");
    confirmedAccount("dan@primaria.ro", "D1");
    const QByteArray archive = QByteArray("L21").repeated(50000);
    const QString id = ask("ana@primaria.ro", "A1", request({"/PUT_FILE Salvare \"de\" test"}, {{"Srv", archive}}))
                           .value("/OK");
    ASSERT_FALSE(id.isEmpty());

    const ParsedFile list = ask("ana@primaria.ro", "A1", request({"/GET_STOC"}));
    ASSERT_EQ(list.attachments.size(), 1);
    engine::Database db(m_files.path().toStdString());
    auto rows = db.open("SELECT IDSTOC, DATAORA, OBS FROM \"" + list.attachments[0].path.toStdString() + "\"");
    ASSERT_FALSE(rows->eof());
    EXPECT_EQ(rows->text("IDSTOC"), id.toStdString());
    EXPECT_EQ(rows->text("OBS"), "Salvare de test");
    EXPECT_NEAR(rows->number("DATAORA"), server::dayTime(QDateTime::currentDateTime()), 0.01);

    const ParsedFile got = ask("ana@primaria.ro", "A1", request({"/GET_FILE " + id}));
    ASSERT_EQ(got.attachments.size(), 1);
    EXPECT_EQ(got.attachments[0].name, id);
    QFile f(got.attachments[0].path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), archive);

    // Another account names the same identifier.
    for (const char* command : {"/GET_FILE ", "/DEL "}) {
        const ParsedFile foreign = ask("dan@primaria.ro", "D1", request({command + id}));
        EXPECT_FALSE(foreign.value("/EROARE").isEmpty()) << command;
        EXPECT_TRUE(foreign.attachments.isEmpty()) << command;
    }
    EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/DEL " + id})).value("/OK"), id);
    EXPECT_FALSE(ask("ana@primaria.ro", "A1", request({"/GET_FILE " + id})).value("/EROARE").isEmpty());
}

TEST_F(BackupService, TheQuotaOfAnAccountIsEnforced)
{
    confirmedAccount("ana@primaria.ro", "A1");
    const QByteArray three(3 * 1024 * 1024, 'x');
    EXPECT_FALSE(ask("ana@primaria.ro", "A1", request({"/PUT_FILE 1"}, {{"Srv", three}})).value("/OK").isEmpty());
    EXPECT_TRUE(ask("ana@primaria.ro", "A1", request({"/PUT_FILE 2"}, {{"Srv", three}})).value("/EROARE").contains("plin"));
}

TEST_F(BackupService, HostileClientsAreCutOffAndOthersStillServed)
{
    confirmedAccount("ana@primaria.ro", "A1");
    struct Case {
        const char* name;
        std::function<bool(RawClient&)> attack;   // true when refused cleanly
    };
    const Case cases[] = {
        {"lying length before login", [](RawClient& c) {
             c.receive();
             c.sendBytes(QByteArray("\xFF\xFF\xFF\x7F\x0B\x00\x00\x00", 8));
             return c.closedByServer();
         }},
        {"length below the header", [](RawClient& c) {
             c.receive();
             c.sendBytes(QByteArray("\x03\x00\x00\x00\x0B\x00\x00\x00", 8));
             return c.closedByServer();
         }},
        {"malformed login record", [](RawClient& c) {
             c.receive();
             c.send(kLogin, QByteArray("\x06\x50short", 7));
             return c.closedByServer();
         }},
        {"data before any announcement", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             c.send(kData, "unasked");
             return c.closedByServer();
         }},
        {"request stream above the quota", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             c.send(kAnnounce, encodeAnnounce(0xF0000000u, "\"trimit\""));
             return c.receive().type == kRefuse && c.closedByServer();
         }},
        {"more data than announced", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             c.send(kAnnounce, encodeAnnounce(4, "\"trimit\""));
             c.receive();
             c.send(kData, "too long");
             return c.closedByServer();
         }},
        {"oversized request line", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             const QByteArray reply = c.transact("/PUT_FILE " + QByteArray(20000, 'n') + "\r\n/END\r\n");
             return reply.contains("/EROARE") && !reply.contains("/OK");
         }},
        {"attachment named with a path", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             const QByteArray reply = c.transact("/PUT_FILE x\r\n#ATTACH ../Srv : 1\r\n/END\r\nx");
             return reply.contains("/EROARE") && !reply.contains("/OK");
         }},
        {"request without /END", [](RawClient& c) {
             if (!c.login("ana@primaria.ro", "A1"))
                 return false;
             return c.transact("/GET_STOC\r\n/GET_STOC\r\n").contains("/EROARE");
         }},
    };
    for (const Case& c : cases) {
        RawClient hostile(m_server->port());
        EXPECT_TRUE(c.attack(hostile)) << c.name;
        // The service goes on serving.
        EXPECT_EQ(ask("ana@primaria.ro", "A1", request({"/INFO"})).value("/CODCONF"), "DA") << c.name;
    }
    EXPECT_TRUE(QDir(m_store.path() + "/archives").entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_store.path() + "/Srv"));
}

TEST_F(BackupService, AFloodOfBadPasswordsShutsOutTheAddress)
{
    confirmedAccount("ana@primaria.ro", "A1");
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ask("ana@primaria.ro", QByteArray("GHICIT") + char('0' + i), request({"/INFO"})).value("/PASS"), "NO");
        // Each failure is answered later than the one before (20 ms doubled, in the tests).
        EXPECT_GE(clock.elapsed(), 20 << i) << i;
    }
    RawClient refused(m_server->port());
    EXPECT_EQ(refused.receive().type, quint32(kNotLetIn));
    EXPECT_TRUE(refused.closedByServer());
    // Even the right password waits until the failures age out.
    EXPECT_TRUE(ask("ana@primaria.ro", "A1", request({"/INFO"})).lines.isEmpty());
}

TEST_F(BackupService, TheReminderSendsATemporaryPasswordThatReplacesTheOldOneWhenUsed)
{
    confirmedAccount("ana@primaria.ro", "VECHE");
    const ParsedFile reply = ask("ana@primaria.ro", "UITATA", request({"/EMAIL_PASS"}));
    EXPECT_TRUE(reply.value("/MSG_DLG").startsWith("Daca exista un cont"));
    const QRegularExpressionMatch m =
        QRegularExpression("temporara .* este: ([A-Z0-9]{10})").match(outboxMail(m_server->outbox(), "temporara"));
    ASSERT_TRUE(m.hasMatch());
    const QByteArray temporary = m.captured(1).toLatin1();
    // Until it is used the old password still works.
    EXPECT_EQ(ask("ana@primaria.ro", "VECHE", request({"/INFO"})).value("/CODCONF"), "DA");
    EXPECT_EQ(ask("ana@primaria.ro", temporary, request({"/INFO"})).value("/CODCONF"), "DA");
    EXPECT_EQ(ask("ana@primaria.ro", "VECHE", request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_FALSE(ask("ana@primaria.ro", temporary, request({"/SET_PASS NOUA"})).value("/MSG_DLG").isEmpty());
    EXPECT_EQ(ask("ana@primaria.ro", temporary, request({"/INFO"})).value("/PASS"), "NO");
    EXPECT_EQ(ask("ana@primaria.ro", "NOUA", request({"/INFO"})).value("/CODCONF"), "DA");
}

TEST(WebQuery, ParametersArePercentDecoded)
{
    const QMap<QString, QString> q =
        server::decodeQuery("nume=Hestavo+%3A+Ion&produs=a%26b%3Dc%2Bd%25e%23f+g&mail=x%40y.ro&gol=&solo");
    EXPECT_EQ(q.value("nume"), "Hestavo : Ion");
    EXPECT_EQ(q.value("produs"), "a&b=c+d%e#f g");
    EXPECT_EQ(q.value("mail"), "x@y.ro");
    EXPECT_TRUE(q.contains("gol"));
    EXPECT_TRUE(q.contains("solo"));
}

TEST(ServerProgram, StopsCleanlyOnSigterm)
{
    app();
    QTemporaryDir store;
    QProcess process;
    process.start(HESTAVO_SERVER_BIN, {"--store", store.path(), "--bind", "127.0.0.1", "--port", "0", "--plain", "da"});
    // Port 0 is refused by the command line: the program says so and ends.
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("--port"));

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    process.start(HESTAVO_SERVER_BIN,
                  {"--store", store.path(), "--bind", "127.0.0.1", "--port", port, "--plain", "da"});
    ASSERT_TRUE(process.waitForStarted(20000));
    QTcpSocket socket;
    for (int i = 0; i < 100 && socket.state() != QAbstractSocket::ConnectedState; ++i) {
        socket.connectToHost("127.0.0.1", port.toUShort());
        if (!socket.waitForConnected(200))
            QThread::msleep(100);
    }
    ASSERT_EQ(socket.state(), QAbstractSocket::ConnectedState);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    QFile log(store.path() + "/server.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("asculta pe 127.0.0.1:" + port.toLatin1()));
    EXPECT_TRUE(text.trimmed().endsWith("oprit"));
}

TEST(ServerConfiguration, CommandLineOverTheStoreFile)
{
    QTemporaryDir store;
    QFile conf(store.path() + "/server.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[server]\r\nport=2000\r\nquota-mb=7\r\npublic-address=backup.exemplu.ro\r\n");
    conf.close();
    server::ServerConfig c;
    QString error;
    ASSERT_TRUE(server::parseServerConfig({"--store", store.path(), "--port", "3000", "--plain", "da"}, &c, &error));
    EXPECT_EQ(c.port, 3000);
    EXPECT_EQ(c.quotaBytes, 7LL * 1024 * 1024);
    EXPECT_EQ(c.addressFileText(), "backup.exemplu.ro");
    EXPECT_FALSE(c.tls());
    ASSERT_TRUE(server::parseServerConfig({"--store", store.path(), "--tls-cert", "a.crt", "--tls-key", "a.key"}, &c,
                                          &error));
    EXPECT_TRUE(c.tls());

    struct Case {
        const char* name;
        QStringList arguments;
    };
    const Case refused[] = {
        {"no store", {"--port", "1235"}},
        {"unknown option", {"--store", store.path(), "--color", "red"}},
        {"port not a number", {"--store", store.path(), "--port", "x"}},
        {"port out of range", {"--store", store.path(), "--port", "70000"}},
        {"missing value", {"--store", store.path(), "--quota-mb"}},
        {"certificate without key", {"--store", store.path(), "--tls-cert", "a.crt"}},
        {"neither a certificate nor plain", {"--store", store.path()}},
        {"plain and a certificate", {"--store", store.path(), "--plain", "da", "--tls-cert", "a", "--tls-key", "b"}},
        {"plain neither yes nor no", {"--store", store.path(), "--plain", "poate"}},
    };
    for (const Case& r : refused) {
        error.clear();
        EXPECT_FALSE(server::parseServerConfig(r.arguments, &c, &error)) << r.name;
        EXPECT_FALSE(error.isEmpty()) << r.name;
    }
}

TEST(ServerOutbox, AnAddressWithLineBreaksCannotAddHeaders)
{
    QTemporaryDir dir;
    server::Outbox outbox(dir.path());
    const QString file = outbox.send("ion@dej.ro\r\nBcc: toti@exemplu.ro", "Sugestie\nX-Extra: 1", "text");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        EXPECT_FALSE(line.startsWith("Bcc:"));
        EXPECT_FALSE(line.startsWith("X-Extra:"));
    }
    EXPECT_TRUE(lines.value(0).startsWith("To: ion@dej.ro"));
}
