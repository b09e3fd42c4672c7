// The suggestion sender: the checks of its fields, the query, and a send to
// the service's web endpoint with characters that a raw query would cut.
#ifdef HESTAVO_WITH_SERVER
#include "backup/Suggestion.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "tests/backup/ProgramFolderFixture.h"
#include "tests/server/ServerThread.h"
#include "ui/backup/SuggestionWindow.h"
#include "ui/common/MessageDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SuggestionSender : public ServiceFixture {
protected:
    void fill(SuggestionWindow& w, const QString& name, const QString& phone, const QString& email, const QString& text)
    {
        w.url = QString("http://127.0.0.1:%1/sugestii.php").arg(m_server->httpPort());
        w.name->setText(name);
        w.phone->setText(phone);
        w.email->setText(email);
        w.text->setPlainText(text);
    }

    QStringList received() const
    {
        QStringList out;
        QDir dir(m_server->config().store + "/sugestii");
        for (const QString& f : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(f));
            file.open(QIODevice::ReadOnly);
            out << QString::fromUtf8(file.readAll());
        }
        return out;
    }

};

} // namespace

TEST_F(SuggestionSender, TheFirstFailingFieldGetsTheBalloon)
{
    struct Case {
        const char* name;
        QString person, phone, email, text, hint;
    };
    const Case cases[] = {
        {"two-letter name", "Io", "0744123456", "ion@dej.ro", "O sugestie lunga", "Nume incorect!"},
        {"number beginning with 04", "Ion", "0412345678", "ion@dej.ro", "O sugestie lunga", "Telefon incorect!"},
        {"bad e-mail", "Ion", "0212345678", "io@dej.ro", "O sugestie lunga", "Email incorect!"},
        {"one line of 9 characters", "Ion", "0212345678", "ion@dej.ro", "123456789", "Sugestia dvs e prea scurta!"},
        {"two lines of 2 characters", "Ion", "0212345678", "ion@dej.ro", "12\n12", "Sugestia dvs e prea scurta!"},
    };
    for (const Case& c : cases) {
        testmode::clear();
        SuggestionWindow w;
        fill(w, c.person, c.phone, c.email, c.text);
        w.send();
        ASSERT_EQ(testmode::hints().size(), 1) << c.name;
        EXPECT_EQ(testmode::hints()[0].text, c.hint) << c.name;
        EXPECT_FALSE(w.report()) << c.name;
        EXPECT_TRUE(testmode::messages().isEmpty()) << c.name;
    }
    EXPECT_TRUE(received().isEmpty());
}

TEST_F(SuggestionSender, LinesAreJoinedAndEveryValueIsPercentEncoded)
{
    EXPECT_EQ(JoinedSuggestion({" unu  ", "doi"}), "unu%0D%0Adoi");
    const QString query = SuggestionQuery({"Ion", "Dej / CLUJ", "0744123456", "ion@dej.ro", {"a&b=c", "d+e%f#g"}});
    EXPECT_EQ(query, "nume=Hestavo%20%3A%20Ion&comuna=Dej%20%2F%20CLUJ&telefon_fax=0744123456"
                     "&mail=ion%40dej.ro&produs=a%26b%3Dc%0D%0Ad%2Be%25f%23g");
}

TEST_F(SuggestionSender, ASuggestionWithSpecialCharactersArrivesIntact)
{
    SuggestionWindow w;
    w.prepare();
    EXPECT_EQ(w.place->text(), "Dej / Dej / CLUJ");
    fill(w, "Ion Pop", "0744123456", "ion@dej.ro", "Pret & cost = 5+5 % din #1\nA doua linie");
    if (const QString folder = qEnvironmentVariable("HESTAVO_SHOTS"); !folder.isEmpty()) {
        w.show();
        w.grab().save(folder + "/network-suggestion.png");
    }
    w.send();
    EXPECT_TRUE(testmode::hints().isEmpty());
    EXPECT_TRUE(w.report());
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Transmitere Sugestie");
    EXPECT_EQ(testmode::messages()[0].kind, kKindInformation);
    const QStringList got = received();
    ASSERT_EQ(got.size(), 1);
    EXPECT_TRUE(got[0].contains("Pret & cost = 5+5 % din #1\r\nA doua linie")) << got[0].toStdString();
    EXPECT_TRUE(got[0].contains("nume: Hestavo : Ion Pop"));
    EXPECT_TRUE(got[0].contains("comuna: Dej / Dej / CLUJ"));
    EXPECT_EQ(ReadMachineSetting("SugestieNume"), "Ion Pop");
    EXPECT_EQ(ReadMachineSetting("Mail"), "ion@dej.ro");
    EXPECT_EQ(ReadMachineSetting("Telefon_fax"), "0744123456");
    EXPECT_TRUE(w.text->toPlainText().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(paths().programFolder + "/rezultat.txt"));
}

TEST_F(SuggestionSender, NoServiceMeansFailureAndNothingStored)
{
    SuggestionWindow w;
    w.prepare();
    fill(w, "Ion Pop", "0744123456", "ion@dej.ro", "0123456789");
    w.url = "http://127.0.0.1:1/sugestii.php";
    w.send();
    EXPECT_FALSE(w.report());
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_EQ(testmode::messages()[0].text, "Mesajul nu poate fi transmis!\rVerificati daca aveti internet sau daca nu "
                                            "ati restrictionat accesul la internet al programului!");
    EXPECT_EQ(ReadMachineSetting("SugestieNume"), "");
}
#endif
