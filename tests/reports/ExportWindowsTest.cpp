// The window side of the exports: the ANPIS overwrite question and closing
// message, and the annex adder dialog's refusals, button state and result.
#include "ReportsFixture.h"

#include "data/TestMode.h"
#include "documents/SpreadsheetOutput.h"
#include "register/Cnp.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/WorkingMonthLabel.h"
#include "ui/reports/AnnexAdderDialog.h"
#include "ui/reports/ExportMenuCommands.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace hestavo;

class ExportWindowsTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        testmode::enable();
        m_month = std::make_unique<QLabel>("01.2024");
        BindWorkingMonthLabel(m_month.get());
        SpreadsheetOutput::FreshTempFile = [this](const QString& stem, const QString& ext) {
            return m_dir.path() + "/Temp/" + stem + QString::number(++m_files) + ext;
        };
    }
    void TearDown() override
    {
        BindWorkingMonthLabel(nullptr);
        m_month.reset();
        testmode::disable();
        ReportsTest::TearDown();
    }
    std::unique_ptr<QLabel> m_month;
    int m_files = 0;
};

TEST_F(ExportWindowsTest, AnpisAsksBeforeReplacingAndNamesTheFile)
{
    const QString cnp = "180010112345" + QString::number(Cnp::controlDigit("180010112345"));
    AddApplication(1, "01.2024", {{"CNP", '"' + cnp + '"'}, {"TITULAR", "\"POP ION\""}});
    const QString file = OutFolder() + "/Date_4562443v2.xml";
    QFile existing(file);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("earlier");
    existing.close();

    testmode::answerChooser(OutFolder());
    testmode::answerMessage(Answer::No);
    ExportAnpisCommand(nullptr);
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Extragere date ANPIS-XML");
    EXPECT_EQ(testmode::messages()[0].text, "\n Fisierul Date_4562443v2.xml exista!\nDoriti sa-l inlocuim?");
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "earlier");
    existing.close();

    testmode::clear();
    testmode::answerChooser(OutFolder());
    testmode::answerMessage(Answer::Yes);
    ExportAnpisCommand(nullptr);
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[1].title, "Export Date ANPIS");
    EXPECT_EQ(testmode::messages()[1].text,
              "\nXML-ul a fost creat: " + QDir::toNativeSeparators(file) + "\nTrimiteti-l la ANPIS!");
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_TRUE(existing.readAll().contains("<cereri idCerere=\"1\""));
}

// The persons DBF gets its ".dbf" when the name chosen has no extension, and
// the closing messages name what was written.
TEST_F(ExportWindowsTest, PersonsDbfAndF2201NameWhatTheyWrote)
{
    const QString cnp = "180010112345" + QString::number(Cnp::controlDigit("180010112345"));
    AddApplication(1, "01.2024", {{"CNP", '"' + cnp + '"'}, {"TITULAR", "\"POP ION\""}});
    const struct {
        const char* chosen;
        const char* written;
    } names[] = {{"persoane", "persoane.dbf"}, {"lista.DBF", "lista.DBF"}, {"ian.2024", "ian.2024"}};
    for (const auto& n : names) {
        testmode::clear();
        const QString written = OutFolder() + "/" + n.written;
        testmode::answerChooser(OutFolder() + "/" + n.chosen);
        ExportPersonsDbfCommand(nullptr);
        EXPECT_TRUE(QFile::exists(written)) << n.chosen;
        ASSERT_EQ(testmode::messages().size(), 1) << n.chosen;
        EXPECT_EQ(testmode::messages()[0].text, "\nFisierul " + QDir::toNativeSeparators(written) + " a fost creat!")
            << n.chosen;
    }

    testmode::clear();
    testmode::answerChooser(OutFolder());
    ExportF2201Command(nullptr);
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_TRUE(testmode::messages()[0].text.startsWith("\nA fost creat fisierul XML " + QDir::toNativeSeparators(OutFolder())))
        << testmode::messages()[0].text.toStdString();
}

TEST_F(ExportWindowsTest, AnnexAdderDialogRefusesAndSumsTwoAnnexes)
{
    const QString templ = QString(HESTAVO_SOURCE_DIR) + "/resources/templates/";
    const QString a = OutFolder() + "/a.xls", b = OutFolder() + "/b.xls";
    ASSERT_TRUE(QFile::copy(templ + "Anexa23.xls", a));
    ASSERT_TRUE(QFile::copy(templ + "Anexa23.xls", b));
    AnnexAdderDialog dialog;
    dialog.Label->setText("ANEXA 23");
    QMetaObject::invokeMethod(&dialog, [&] { dialog.close(); }, Qt::QueuedConnection);
    dialog.Open(23);
    EXPECT_FALSE(dialog.SumButton->isEnabled());

    dialog.addFile(templ + "Anexa15.xls");
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Adaugare ANEXA 23");
    EXPECT_EQ(testmode::messages()[0].text, "\nAnexa aleasa NU este o Anexa 23!");
    dialog.addFile(a);
    dialog.addFile(a);
    EXPECT_EQ(testmode::messages().size(), 2) << "the same file twice is refused";
    EXPECT_FALSE(dialog.SumButton->isEnabled());
    dialog.addFile(b);
    EXPECT_TRUE(dialog.SumButton->isEnabled());
    EXPECT_EQ(dialog.List->toPlainText(), a + "\n" + b);

    dialog.resize(640, 360);
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(OutFolder() + "/annex-adder.png"));
    dialog.SumButton->click();
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_TRUE(QFile::exists(testmode::shellCalls()[0].path));
    EXPECT_TRUE(dialog.SumButton->isEnabled()) << "enabled again after the sum";
}
