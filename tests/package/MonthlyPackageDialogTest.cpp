// "Pachet lunar" as a clerk uses it: keys to the dialog, the folder chooser,
// the questions and the shell scripted; a demo month whose aid lacks decision
// numbers (blocking findings).
#include "tests/register/Fixture.h"

#include "documents/TemplateStore.h"
#include "tools/demo-db/DemoSettings.h"
#include "ui/package/MonthlyPackageDialog.h"
#include "ui/register/MonthCheckWindow.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QTest>
#include <QTimer>

namespace {

class MonthlyPackageWindow : public DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        resetDb();
        demodb::Options options;
        options.folder = paths().dataFolder.toStdString();
        options.households = 150;
        options.months = 1;
        options.overwrite = true;
        demodb::writeSettings(paths().dataFolder, demodb::generate(options));
        resetDb();
        MaterializeTemplates();
        hestavo::SetWorkingMonth(QStringLiteral("11.2024"));
        m_out = m_dir.path() + "/out";
        QDir().mkpath(m_out);
        testmode::answerChooser(m_out);
    }

    // Enter on the dialog's focused control; the findings' window, when it
    // opens, is closed with Escape and counted.
    void pressEnter(MonthlyPackageDialog& dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.DataV->setFocus();
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (auto* list = qobject_cast<MonthCheckWindow*>(QApplication::activeModalWidget())) {
                m_listRows = list->findings().size();
                QTest::keyClick(list, Qt::Key_Escape);
            }
        });
        closer.start(50);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QStringList Packages() const { return QDir(m_out).entryList({"Pachet_*"}, QDir::AllEntries | QDir::Hidden); }

    QString m_out;
    int m_listRows = -1;
};

TEST_F(MonthlyPackageWindow, BlockingFindingsShowTheListAndStopUnlessTheClerkContinues)
{
    testmode::answerMessage(Answer::No);   // "Continua oricum?"
    MonthlyPackageDialog dialog;
    pressEnter(dialog);
    EXPECT_GT(m_listRows, 0) << "the findings' list was not shown";
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_TRUE(testmode::messages()[0].text.contains("Continua oricum?")) << testmode::messages()[0].text.toStdString();
    EXPECT_TRUE(testmode::messages()[0].buttons & kDefaultNo);
    EXPECT_TRUE(Packages().isEmpty()) << Packages().join(", ").toStdString();
    EXPECT_TRUE(QDir(m_out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MonthlyPackageWindow, ContinuedPackageClosesNamingTheFolderAndOpensIt)
{
    testmode::answerMessage(Answer::Yes);  // "Continua oricum?"
    testmode::answerMessage(Answer::Yes);  // "Deschide folderul?"
    MonthlyPackageDialog dialog;
    pressEnter(dialog);
    const QString folder = QDir(m_out).filePath("Pachet_11_2024");
    EXPECT_EQ(Packages(), QStringList({"Pachet_11_2024", "Pachet_11_2024.zip"}));
    ASSERT_EQ(testmode::messages().size(), 2);
    const QString closing = testmode::messages()[1].text;
    EXPECT_TRUE(closing.contains(QDir::toNativeSeparators(folder))) << closing.toStdString();
    EXPECT_TRUE(closing.contains("Deschide folderul?")) << closing.toStdString();
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(testmode::shellCalls()[0].path, folder);
    EXPECT_TRUE(QFile::exists(folder + "/MANIFEST.csv"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MonthlyPackageWindow, NoAccountIsRefusedAtTheFirstBox)
{
    MonthlyPackageDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    for (QCheckBox* box : {dialog.Cont073, dialog.Cont074}) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    QTest::keyClick(dialog.Cont074, Qt::Key_Return);
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu ati ales niciun cont!");
    EXPECT_EQ(testmode::hints()[0].control, "Cont073");
    EXPECT_TRUE(testmode::choosers().isEmpty());
    EXPECT_TRUE(Packages().isEmpty());
}

} // namespace
