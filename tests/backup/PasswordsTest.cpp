// The administrator password: digest, unlock, change, and the two small
// password windows.
#include "backup/Passwords.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "ui/backup/LoginDialog.h"
#include "ui/backup/PasswordCommands.h"
#include "ui/backup/PasswordEditor.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_backup";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

class Passwords : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(m_dir.isValid());
        initPaths(m_dir.path());
        QDir().mkpath(paths().dataFolder);
        resetDb();
        CreateMissingTables();   // the audit log the commands write to
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        resetDb();
    }
    // The audit log's newest row.
    static QString LastLogRow()
    {
        auto rs = Db().open(("SELECT ACTIUNE FROM " + quotedTable("Log.dbf") + " ORDER BY IDLOG").toStdString());
        QString last;
        for (rs->first(); !rs->eof(); rs->next())
            last = QString::fromStdString(rs->text("ACTIUNE"));
        return last;
    }
    QTemporaryDir m_dir;
};
} // namespace

TEST(PasswordDigestRule, MatchesTheIndependentReference)
{
    const QList<QByteArray> passwords = {"", "A", "PAROLA", "parola", "ADMIN2022", "a b\"c ",
                                         QByteArray("\xAA\xBA\xDE\xFE\xE2\xEE", 6),
                                         QByteArray(40, 'Z')};
    QStringList args{QString(HESTAVO_TEST_DATA) + "/digest.py"};
    for (const QByteArray& p : passwords)
        args << QString::fromLatin1(p.toHex());
    QProcess py;
    py.start(HESTAVO_PYTHON, args);
    ASSERT_TRUE(py.waitForFinished(60000));
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    const QList<QByteArray> expected = py.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(expected.size(), passwords.size());
    for (int i = 0; i < passwords.size(); ++i) {
        const QByteArray d = PasswordDigest(passwords[i]);
        EXPECT_EQ(d.toHex(), expected[i].trimmed()) << passwords[i].toStdString();
        EXPECT_EQ(PasswordDigest(passwords[i]), d) << "same text every time";
        EXPECT_GE(d.size(), passwords[i].size() + 7);
        EXPECT_LE(d.size(), passwords[i].size() + 36);
    }
    EXPECT_NE(PasswordDigest(QString("PAROLA")), PasswordDigest(QString("parola")));
    EXPECT_EQ(PasswordDigest(QString("ĂÎ")), PasswordDigest(QByteArray("\xC3\xCE")));
}

TEST_F(Passwords, UnlockCases)
{
    struct Case {
        const char* name;
        const char* stored;                 // password set before, "" = none
        std::optional<QString> entry;       // what the prompt returns
        bool unlocked;
        const char* messageTitle;           // "" = no message
    } cases[] = {
        {"no password: warning, unlocked", "", std::nullopt, true, "Administrare"},
        {"right password", "SECRET", QString("SECRET"), true, ""},
        {"other letter case", "SECRET", QString("secret"), false, "Greseala!"},
        {"wrong password", "SECRET", QString("SECRE"), false, "Greseala!"},
        {"empty entry does not unlock", "SECRET", QString(""), false, "Greseala!"},
        {"prompt closed", "SECRET", std::nullopt, false, ""},
    };
    for (const Case& c : cases) {
        testmode::clear();
        WriteSettingBytes("INIT", "WIN", *c.stored ? PasswordDigest(QString(c.stored)) : QByteArray());
        bool asked = false;
        const bool unlocked = AdministratorUnlock([&] {
            asked = true;
            return c.entry;
        });
        EXPECT_EQ(unlocked, c.unlocked) << c.name;
        EXPECT_EQ(asked, *c.stored != 0) << c.name;
        if (*c.messageTitle) {
            ASSERT_EQ(testmode::messages().size(), 1) << c.name;
            EXPECT_EQ(testmode::messages()[0].title, QString(c.messageTitle)) << c.name;
        } else {
            EXPECT_TRUE(testmode::messages().isEmpty()) << c.name;
        }
    }
    testmode::clear();
    WriteSettingBytes("INIT", "WIN", {});
    AdministratorUnlock([] { return std::nullopt; });
    EXPECT_EQ(testmode::messages()[0].text, QString("\rATENTIE!\rNu aveti nicio parola!"));
    EXPECT_EQ(testmode::messages()[0].kind, kKindWarning);
}

TEST_F(Passwords, ChangeCases)
{
    // Different texts: refused, nothing stored.
    EXPECT_FALSE(ChangeAdminPassword("ABC", "ABD"));
    EXPECT_EQ(testmode::messages().last().text, QString("Nu ati scris parola noua la fel in cele doua casute !"));
    EXPECT_TRUE(ReadSettingBytes("INIT", "WIN").isEmpty());

    EXPECT_TRUE(ChangeAdminPassword("ABC", "ABC"));
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), PasswordDigest(QString("ABC")));
    EXPECT_EQ(testmode::messages().last().text, QString("\rParola a fost schimbata cu succes!"));
    EXPECT_EQ(LastLogRow(), "Schimbare parola administrator.");
    EXPECT_TRUE(AdministratorUnlock([] { return QString("ABC"); }));

    // Both empty, answered Nu: the password stays.
    testmode::answerMessage(Answer::No);
    EXPECT_FALSE(ChangeAdminPassword("", ""));
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), PasswordDigest(QString("ABC")));
    // Both empty, answered Da: no password, the next unlock asks nothing.
    testmode::answerMessage(Answer::Yes);
    EXPECT_TRUE(ChangeAdminPassword("", ""));
    EXPECT_TRUE(ReadSettingBytes("INIT", "WIN").isEmpty());
    EXPECT_EQ(LastLogRow(), "Dezactivare parola administrator.");
    EXPECT_TRUE(ReadSettingBytes("init", "win").isEmpty());
    bool asked = false;
    EXPECT_TRUE(AdministratorUnlock([&] { asked = true; return std::nullopt; }));
    EXPECT_FALSE(asked);
}

TEST_F(Passwords, LoginPromptReturnsTextOnlyWhenVerified)
{
    LoginDialog form;
    QString text = "old";
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(form.Edit1, "Secret1");
        form.Verifica->click();
    });
    EXPECT_TRUE(form.InputQuery2(text));
    EXPECT_EQ(text, QString("Secret1"));
    EXPECT_EQ(form.Edit1->echoMode(), QLineEdit::Password);

    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(form.Edit1->text().isEmpty()) << "emptied at every showing";
        QTest::keyClicks(form.Edit1, "x");
        form.Inchide->click();
    });
    text = "kept";
    EXPECT_FALSE(form.InputQuery2(text));
    EXPECT_EQ(text, QString("kept"));
}

TEST_F(Passwords, PasswordEditorCleansAndRefusesEmpty)
{
    PasswordEditor editor;
    QString result;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(editor.Edit1, "\" \"  \"");
        editor.Memoreaza->click();
        EXPECT_TRUE(editor.isVisible()) << "stays open";
        editor.Edit1->clear();
        QTest::keyClicks(editor.Edit1, "parola \"noua\"");
        editor.Memoreaza->click();
    });
    EXPECT_TRUE(editor.Execute(result));
    EXPECT_EQ(result, QString("PAROLA NOUA"));
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, QString("Nu ati scris nicio parola!"));
    EXPECT_EQ(testmode::hints()[0].control, QString("Edit1"));
    EXPECT_EQ(editor.Edit1->maxLength(), 40);

    QTimer::singleShot(0, [&] { editor.Renunt->click(); });
    EXPECT_FALSE(editor.Execute(result));
}
