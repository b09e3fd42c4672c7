// The template store in a data folder: missing templates are written, the
// user's copies are kept, restore refuses a template open in another program
// and brings back the shipped form otherwise; editing hands the file to the
// desktop after the advice.
#include "data/Files.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "data/TestMode.h"
#include "documents/TemplateStore.h"
#include "ui/common/MessageDialog.h"
#include "ui/documents/TemplateMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray shipped(const EditableTemplate& t)
{
    InitTemplateResources();
    return fileBytes(findResource(t.resource, QStringLiteral("MODEL")));
}

class TemplateStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        initPaths(m_dir.path());
        QDir().mkpath(paths().dataFolder);
        resetDb();
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
    QString data(const QString& file) const { return paths().dataFolder + "/" + file; }
    const EditableTemplate& entry(const QString& file) const { return *FindEditableTemplate(file); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(TemplateStore, MaterializeWritesWhatIsMissingAndKeepsTheUsersCopies)
{
    MaterializeTemplates();
    ASSERT_EQ(QDir(paths().dataFolder).entryList(QDir::Files).size(), 16);
    for (const EditableTemplate& t : EditableTemplates()) {
        EXPECT_FALSE(shipped(t).isEmpty()) << t.resource.toStdString();
        EXPECT_EQ(fileBytes(data(t.file)), shipped(t)) << t.file.toStdString();
        EXPECT_TRUE(QFileInfo(data(t.file)).isWritable()) << "the user must be able to edit " << t.file.toStdString();
    }

    // Deleted by hand: written again at the next start. Changed: kept.
    ASSERT_TRUE(QFile::remove(data("Stat.xls")));
    putFile(data("Referat.rtf"), "{\\rtf1 edited by the user\n\\pard [NUME]\\par\n}\n");
    MaterializeTemplates();
    EXPECT_EQ(fileBytes(data("Stat.xls")), shipped(entry("Stat.xls")));
    EXPECT_EQ(fileBytes(data("Referat.rtf")), QByteArray("{\\rtf1 edited by the user\n\\pard [NUME]\\par\n}\n"));

    // A copy from a case-insensitive file system counts as present.
    ASSERT_TRUE(QFile::rename(data("Stat.xls"), data("STAT.XLS")));
    putFile(data("STAT.XLS"), "changed");
    MaterializeTemplates();
    EXPECT_FALSE(QFileInfo::exists(data("Stat.xls")));
    EXPECT_EQ(fileBytes(data("STAT.XLS")), QByteArray("changed"));
}

TEST_F(TemplateStore, FixedTemplatesGoToFreshTemporaryFiles)
{
    for (const QString& name : FixedTemplateNames()) {
        InitTemplateResources();
        EXPECT_FALSE(findResource(name, QStringLiteral("Model")).isEmpty()) << name.toStdString();
    }
    const QString first = WriteFixedTemplate(QStringLiteral("Anexa13"), QStringLiteral("Anx13C"), QStringLiteral(".xls"));
    const QString second = WriteFixedTemplate(QStringLiteral("ANEXA13"), QStringLiteral("Anx13C"), QStringLiteral(".xls"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith("Anx13C"));
    EXPECT_EQ(fileBytes(first), fileBytes(second));
    EXPECT_TRUE(QDir(paths().dataFolder).entryList(QDir::Files).isEmpty()) << "nothing lands in the data folder";
    EXPECT_TRUE(WriteFixedTemplate(QStringLiteral("NuExista"), QStringLiteral("X"), QStringLiteral(".xls")).isEmpty());
}

TEST_F(TemplateStore, RestoreRefusesATemplateOpenElsewhereAndRestoresOtherwise)
{
    MaterializeTemplates();
    const QByteArray edited("{\\rtf1 the user's own report\n\\pard\\par\n}\n");
    putFile(data("Referat.rtf"), edited);
    ASSERT_TRUE(QFile::remove(data("FisaV.rtf")));

    struct Case {
        const char* name;
        Answer answer;          // to the confirmation
        bool lockFile;       // a word processor holds the file
        QByteArray expected; // Referat.rtf afterwards
        QStringList titles;  // messages shown, in order
    };
    CreateMissingTables();   // the audit log a restore writes to
    const QByteArray original = shipped(entry("Referat.rtf"));
    const Case cases[] = {
        {"answered Nu", Answer::No, false, edited, {"Refacere model"}},
        {"open in LibreOffice", Answer::Yes, true, edited, {"Refacere model", "Initializare model"}},
        {"restored", Answer::Yes, false, original, {"Refacere model", "Refacere Model"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testmode::clear();
        const QString lock = paths().dataFolder + "/.~lock.Referat.rtf#";
        if (c.lockFile)
            putFile(lock, "user,host,01.01.2026 10:00,\n");
        testmode::answerMessage(c.answer);
        RestoreTemplate(entry("Referat.rtf"));
        QFile::remove(lock);
        EXPECT_EQ(fileBytes(data("Referat.rtf")), c.expected);
        QStringList titles;
        for (const testmode::Message& m : testmode::messages())
            titles << m.title;
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(LastLogRow(), c.expected == original ? QString("Refacere model Referat.") : QString());
    }

    // The texts of the three messages.
    const QList<testmode::Message>& shown = testmode::messages();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, QString("\rDoriti readucerea modelului de Referat la forma initiala?\r( Acesta trebuie sa fie inchis! )"));
    EXPECT_EQ(shown[0].kind, kKindConfirmation);
    EXPECT_EQ(shown[0].buttons, kOverrideQuestion) << "Nu is the answer Enter gives";
    EXPECT_EQ(shown[1].text, QString("\rModelul de Referat a fost refacut!"));
    EXPECT_EQ(shown[1].kind, kKindInformation);
    // Restoring one template wrote back the one deleted by hand.
    EXPECT_EQ(fileBytes(data("FisaV.rtf")), shipped(entry("FisaV.rtf")));

    testmode::clear();
    putFile(paths().dataFolder + "/.~lock.Stat.xls#", "x");
    testmode::answerMessage(Answer::Yes);
    EXPECT_FALSE(RestoreTemplate(entry("Stat.xls")));
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[1].text, QString("\rModelul de Stat de plata este deschis!\rInchideti-l si mai incercati odata!"));
    EXPECT_EQ(testmode::messages()[1].kind, kKindError);
}

TEST_F(TemplateStore, ATemplateThatCannotBeOpenedForWritingCountsAsOpen)
{
    // Something that exists under the template's name but cannot be opened
    // for writing (here a folder) is never deleted by a restore.
    MaterializeTemplates();
    const QString path = data("Anexa14.xls");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    EXPECT_TRUE(TemplateIsOpen(path));
    EXPECT_EQ(RestoreTemplateFile(entry("Anexa14.xls")), RestoreResult::Open);
    EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
    ASSERT_TRUE(QDir(path).removeRecursively());
    EXPECT_FALSE(TemplateIsOpen(path));
    EXPECT_EQ(RestoreTemplateFile(entry("Anexa14.xls")), RestoreResult::Restored);
    EXPECT_EQ(fileBytes(path), shipped(entry("Anexa14.xls")));
}

TEST_F(TemplateStore, EditShowsTheAdviceAndOpensTheFile)
{
    EditTemplate(entry("StabilireU.xls"));   // not materialized: opened all the same
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, QString("Modificare formulare"));
    EXPECT_EQ(testmode::messages()[0].text, QString("Dupa modificare, apasati SAVE!\rNu modificati textul dintre "
                                                    "parantezele patrate!\rParantezele patrate vor fi inlocuite cu "
                                                    "valori la listare!"));
    EXPECT_EQ(testmode::messages()[0].kind, kKindWarning);
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(QDir::cleanPath(testmode::shellCalls()[0].path), QDir::cleanPath(data("StabilireU.xls")));
}

TEST_F(TemplateStore, UpgradeReplacesOnlyTheNamedTemplates)
{
    MaterializeTemplates();
    for (const EditableTemplate& t : EditableTemplates())
        putFile(data(t.file), "user copy");
    ReplaceTemplates({"ModelAncheta2.rtf", "Anexa15.xls", "Anexa16.xls", "ModCerere.rtf", "ModCerereS.rtf", "FisaV.rtf"});
    for (const EditableTemplate& t : EditableTemplates()) {
        const bool replaced = QStringList{"ModelAncheta2.rtf", "Anexa15.xls", "Anexa16.xls", "ModCerere.rtf",
                                          "ModCerereS.rtf", "FisaV.rtf"}.contains(t.file);
        EXPECT_EQ(fileBytes(data(t.file)), replaced ? shipped(t) : QByteArray("user copy")) << t.file.toStdString();
    }
}
