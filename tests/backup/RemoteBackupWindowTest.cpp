// The remote backup window driven like a user against the real service on
// loopback: checks of the login fields, wrong password, confirmation code,
// sending a copy of the data folder, the list with delete, the remembered
// credentials, and the entry with an archive to send.
#ifdef HESTAVO_WITH_SERVER
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "tests/backup/ProgramFolderFixture.h"
#include "tests/server/ServerThread.h"
#include "ui/backup/RemoteBackupWindow.h"
#include "ui/common/MessageDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Saves a picture of the window when HESTAVO_SHOTS names a folder.
void shot(QWidget& w, const QString& name)
{
    const QString folder = qEnvironmentVariable("HESTAVO_SHOTS");
    if (!folder.isEmpty())
        w.grab().save(folder + "/network-" + name + ".png");
}

class RemoteWindow : public ServiceFixture {
protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        QFile table(paths().dataFolder + "/Cereri.dbf");
        table.open(QIODevice::WriteOnly);
        table.write(QByteArray(5000, 'c'));
    }

    void point(RemoteBackupWindow& w)
    {
        w.settings.addressUrl = QString("http://127.0.0.1:%1/demo/BackUpS/adr.txt").arg(m_server->httpPort());
        w.settings.endpoint.port = m_server->port();
        w.settings.allowedHosts = {"127.0.0.1"};
        w.settings.endpoint.tls = false;   // the test service speaks plain TCP
        w.askNote = [](QString* note) {
            *note = "  Copie \"lunara\"  ";
            return true;
        };
    }

    QString code() const
    {
        return QRegularExpression("\\b(\\d{6})\\b").match(outboxMail(m_server->outbox(), "Cod")).captured(1);
    }

};

} // namespace

TEST_F(RemoteWindow, LoginFieldsAreCheckedBeforeAnyConnection)
{
    RemoteBackupWindow w;
    point(w);
    w.prepare({});
    EXPECT_EQ(w.mask(), "10000");
    w.email->setText("ab@x");
    w.login();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Email incorect!!");
    w.email->setText("ana@primaria.ro");
    w.password->setText(" \"\" ");
    w.login();
    ASSERT_EQ(testmode::hints().size(), 2);
    EXPECT_EQ(testmode::hints()[1].text, "Lipseste parola!!");
    EXPECT_EQ(w.password->maxLength(), 40);
    EXPECT_TRUE(QDir(m_server->outbox()).entryList(QDir::Files).isEmpty());
}

TEST_F(RemoteWindow, CodeSendListAndDeleteLikeAUser)
{
    RemoteBackupWindow w;
    point(w);
    w.prepare({});
    w.show();
    shot(w, "login");
    w.email->setText("ana@primaria.ro");
    w.password->setText("SECRET");
    w.remember->setChecked(true);
    w.login();
    EXPECT_EQ(w.mask(), "01100");
    EXPECT_EQ(w.accountEmail->text(), "ana@primaria.ro");
    EXPECT_EQ(w.created->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_EQ(ReadLocalSetting("CONST", "EM").left(9), "097110097");
    EXPECT_EQ(ReadSetting("CONST", "MEMOPASS"), "DA");
    EXPECT_EQ(QFile::permissions(localSettingsFile()) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    shot(w, "code");

    w.code->setText("1234567");
    w.checkCode();
    ASSERT_FALSE(testmode::hints().isEmpty());
    EXPECT_EQ(testmode::hints().last().text, "Cod incorect!");
    w.code->setText(QString::number((code().toInt() + 1) % 1000000));
    w.checkCode();
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Verificare Cod");
    EXPECT_EQ(testmode::messages().last().text, "\rCodul introdus este incorect!");
    w.code->setText(code());
    w.checkCode();
    EXPECT_EQ(w.mask(), "00110");
    shot(w, "account");

    ASSERT_TRUE(w.upload());
    EXPECT_EQ(w.progressText->text(), "Terminat.");
    w.showList();
    EXPECT_EQ(w.mask(), "00101");
    ASSERT_EQ(w.list->rowCount(), 1);
    EXPECT_EQ(w.list->item(0, 0)->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_EQ(w.list->item(0, 2)->text(), "Copie lunara");
    EXPECT_TRUE(w.loadButton->isEnabled());
    shot(w, "list");

    const int before = testmode::messages().size();
    testmode::answerMessage(Answer::Yes);
    w.deleteSelected();
    ASSERT_EQ(testmode::messages().size(), before + 1);
    EXPECT_EQ(testmode::messages().last().title, "Stergere Salvare");
    EXPECT_EQ(w.list->rowCount(), 0);
    EXPECT_FALSE(w.loadButton->isEnabled());
    EXPECT_FALSE(w.deleteButton->isEnabled());
    w.back();
    EXPECT_EQ(w.mask(), "00110");
    EXPECT_FALSE(QFileInfo::exists(paths().tempFolder + "/Stoc.dbf"));

    // The next opening fills the remembered credentials.
    RemoteBackupWindow again;
    again.prepare({});
    EXPECT_EQ(again.email->text(), "ana@primaria.ro");
    EXPECT_EQ(again.password->text(), "SECRET");
}

TEST_F(RemoteWindow, AWrongPasswordOffersTheReminder)
{
    {
        RemoteBackupWindow first;
        point(first);
        first.prepare({});
        first.email->setText("ana@primaria.ro");
        first.password->setText("BUNA");
        first.login();
    }
    RemoteBackupWindow w;
    point(w);
    w.prepare({});
    EXPECT_TRUE(w.reminderButton->isHidden());
    w.email->setText("ana@primaria.ro");
    w.password->setText("REA");
    w.login();
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Conectare la server");
    EXPECT_EQ(testmode::messages().last().text, "\rParola este incorecta!");
    EXPECT_FALSE(w.reminderButton->isHidden());
    EXPECT_EQ(w.mask(), "10000");
    w.emailPassword();
    EXPECT_TRUE(w.reminderButton->isHidden());
    EXPECT_EQ(testmode::messages().last().title, "Mesaj de la Server");
    EXPECT_FALSE(outboxMail(m_server->outbox(), "temporara").isEmpty());
}

TEST_F(RemoteWindow, AnArchiveHandedToTheWindowIsSentAtLoginAndTheWindowCloses)
{
    {
        RemoteBackupWindow setup;   // a confirmed account
        point(setup);
        setup.prepare({});
        setup.email->setText("ana@primaria.ro");
        setup.password->setText("SECRET");
        setup.login();
        setup.code->setText(code());
        setup.checkCode();
        ASSERT_EQ(setup.mask(), "00110");
    }
    const QString archive = m_dir.path() + "/iesire.L21";
    QFile f(archive);
    f.open(QIODevice::WriteOnly);
    f.write("archive bytes");
    f.close();
    RemoteBackupWindow w;
    point(w);
    w.prepare(archive);
    w.email->setText("ana@primaria.ro");
    w.password->setText("SECRET");
    w.login();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    w.showList();
    ASSERT_EQ(w.list->rowCount(), 1);
    EXPECT_EQ(w.list->item(0, 2)->text(), "Salvare la inchiderea programului.");
}

TEST_F(RemoteWindow, ClosingTheWindowDuringASendStopsItAndLeavesNoFiles)
{
    QFile big(paths().dataFolder + "/Oameni.dbf");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    QByteArray noise(16 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);   // incompressible: the archive stays large
    big.write(noise);
    big.close();
    RemoteBackupWindow w;
    point(w);
    w.prepare({});
    w.email->setText("ana@primaria.ro");
    w.password->setText("SECRET");
    // A confirmed account: the service takes a large request only from one.
    w.login();
    w.code->setText(code());
    w.checkCode();
    ASSERT_EQ(w.mask(), "00110");
    testmode::clear();
    // The user closes the window as soon as the first bytes are on their way.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &w, [&w] {
        if (w.progressText->text() == "Transmit comanda..." && w.progressBar->value() > 0)
            w.close();
    });
    watch.start(1);
    EXPECT_FALSE(w.upload());
    watch.stop();
    ASSERT_GE(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].title, "Transmitere date");
    EXPECT_EQ(testmode::messages()[0].text, "\rOprire fortata.");
    EXPECT_TRUE(QDir(paths().tempFolder + "/TmpL226").entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(paths().tempFolder + "/Srv"));
}

TEST_F(RemoteWindow, FailedSendSaysSoTwice)
{
    RemoteBackupWindow w;
    point(w);
    w.settings.addressUrl = "http://127.0.0.1:1/demo/BackUpS/adr.txt";
    w.prepare({});
    EXPECT_FALSE(w.upload());
    ASSERT_GE(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].title, "Transmitere date");
    EXPECT_EQ(testmode::messages()[0].text, "\rNu aveti internet!");
    EXPECT_EQ(testmode::messages()[1].title, "Salvare pe server");
    EXPECT_EQ(testmode::messages()[1].text, "\rSalvarea nu s-a facut!");
}
#endif
