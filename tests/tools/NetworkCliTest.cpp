// "hestavo-cli network connect|disconnect" and "suggestion send" as separate
// processes: the refusals of their windows, and the machine setting SERVER
// written and emptied.
#include "data/IniFile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class NetworkCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    struct Run {
        int exitCode;
        QString out;
        QString err;
    };

    Run cli(const QStringList& arguments)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HESTAVO_SYSTEM_DIR", m_dir.path() + "/sys");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(HESTAVO_CLI), QStringList{"--program-dir", m_dir.path() + "/prog"} + arguments);
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString server() const
    {
        return QString::fromLatin1(ini::read(m_dir.path() + "/sys/Hestavo.ini", "92", "SERVER").value_or(QByteArray()));
    }

    QTemporaryDir m_dir;
};

TEST_F(NetworkCli, ConnectRefusesWhatTheWindowRefusesAndDisconnectEmptiesTheSetting)
{
    // A shared folder laid out by the program of another computer.
    ASSERT_EQ(cli({"--program-dir", m_dir.path() + "/office", "months"}).exitCode, 0);
    const QString shared = m_dir.path() + "/office/Data";
    QDir().mkpath(m_dir.path() + "/empty");

    struct Case {
        QString folder;
        const char* message;
    } refusals[] = {
        {m_dir.path() + "/empty", "NU este corecta!"},
        {m_dir.path() + "/prog/Data", "Nu puteti salva aici!"},
    };
    for (const Case& c : refusals) {
        const Run r = cli({"network", "connect", c.folder});
        EXPECT_EQ(r.exitCode, 1) << c.folder.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(server().isEmpty());
    }

    const Run connected = cli({"network", "connect", shared + "/"});
    ASSERT_EQ(connected.exitCode, 0) << connected.err.toStdString();
    EXPECT_EQ(QDir::fromNativeSeparators(server()), shared);

    ASSERT_EQ(cli({"network", "disconnect"}).exitCode, 0);
    EXPECT_TRUE(server().isEmpty());
    const Run again = cli({"network", "disconnect"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("Nu aveti ce sterge.")) << again.err.toStdString();
}

TEST_F(NetworkCli, SuggestionRefusesTheFirstFailingField)
{
    const QString text = "Programul ar putea lista si anexa lunara pe email.";
    struct Case {
        QStringList fields;
        const char* message;
    } cases[] = {
        {{"Io", "Bacau", "0745123456", "ion.pop@mail.ro", text}, "Nume incorect!"},
        {{"Ion Pop", "Bacau", "0845123456", "ion.pop@mail.ro", text}, "Telefon incorect!"},
        {{"Ion Pop", "Bacau", "0745123456", "ion@pop@mail.ro", text}, "Email incorect!"},
        {{"Ion Pop", "Bacau", "0745123456", "ion.pop@mail.ro", "Scurt"}, "Sugestia dvs e prea scurta!"},
    };
    for (const Case& c : cases) {
        const Run r = cli(QStringList{"suggestion", "send"} + c.fields);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_TRUE(r.err.contains(c.message)) << c.message << ": " << r.err.toStdString();
    }
}

} // namespace
