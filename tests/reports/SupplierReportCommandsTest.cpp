// The "Raport Furnizori" menu commands as the user meets them: the choice
// dialog, the folder chooser, the progress window, the closing message and the
// folder opened; and a workbook failure in the middle of a run.
#include "SupplierFixture.h"

#include "data/TestMode.h"
#include "documents/SpreadsheetOutput.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/WorkingMonthLabel.h"
#include "ui/reports/SupplierChoiceDialog.h"
#include "ui/reports/SupplierReportCommands.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace hestavo;

class SupplierReportCommandsTest : public SupplierTest {
protected:
    void SetUp() override
    {
        SupplierTest::SetUp();
        testmode::enable();
        m_fresh = SpreadsheetOutput::FreshTempFile;
        m_month = std::make_unique<QLabel>("03.2024");
        BindWorkingMonthLabel(m_month.get());
        m_mainWindow = std::make_unique<QWidget>();
        m_mainWindow->show();
        QApplication::setActiveWindow(m_mainWindow.get());
    }
    void TearDown() override
    {
        SpreadsheetOutput::FreshTempFile = m_fresh;
        BindWorkingMonthLabel(nullptr);
        m_mainWindow.reset();
        testmode::disable();
        SupplierTest::TearDown();
    }
    // Every file below the folder, relative to it.
    static QStringList Files(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    // Answers the choice dialog once it is shown.
    static void WhenChoiceShown(const std::function<void(SupplierChoiceDialog&)>& answer)
    {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<SupplierChoiceDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }

    std::function<QString(const QString&, const QString&)> m_fresh;
    std::unique_ptr<QLabel> m_month;
    std::unique_ptr<QWidget> m_mainWindow;
};

TEST_F(SupplierReportCommandsTest, WorkbookFailureMidRunLeavesOnlyCompleteFiles)
{
    int opened = 0;
    bool disabledWhileRunning = false;
    SpreadsheetOutput::FreshTempFile = [&](const QString& stem, const QString& ext) {
        disabledWhileRunning = !m_mainWindow->isEnabled() && Contor().isVisible();
        if (++opened == 2)
            throw workbook::WorkbookError("Registrul nu poate fi scris (proba)");
        return m_dir.path() + "/Temp/" + stem + QString::number(opened) + ext;
    };
    testmode::answerChooser(OutFolder());
    SupplierAnnexesCommand(m_mainWindow.get());

    ASSERT_FALSE(testmode::messages().isEmpty());
    const testmode::Message& last = testmode::messages().last();
    EXPECT_EQ(last.kind, kKindError);
    EXPECT_TRUE(last.text.contains("Registrul nu poate fi scris (proba)")) << last.text.toStdString();
    EXPECT_TRUE(disabledWhileRunning);
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(m_mainWindow->isEnabled());
    EXPECT_TRUE(testmode::shellCalls().isEmpty());
    EXPECT_EQ(testmode::progressTexts(), QStringList({"Creez Raport Furnizori..."}));
    // The first supplier's annex is complete; the failing one left nothing.
    EXPECT_EQ(Files(OutFolder()), QStringList({"LEMNE_FURNIZORI/E.ON GAZ/Anexa16.xls"}));
    EXPECT_EQ(Cells(OutFolder()).value("LEMNE_FURNIZORI/E.ON GAZ/Anexa16.xls!B10"), "POPESCU");
}

TEST_F(SupplierReportCommandsTest, AnnexesCommandEndsWithTheMessageAndTheFolder)
{
    testmode::answerChooser(OutFolder());
    SupplierAnnexesCommand(m_mainWindow.get());
    ASSERT_EQ(testmode::choosers().size(), 1);
    EXPECT_EQ(testmode::choosers()[0].title, "Alegeti directorul unde punem Raportul");
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Raport Furnizori");
    EXPECT_EQ(testmode::messages().last().text, "\nRaportul a fost creat!");
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(QDir(testmode::shellCalls()[0].path), QDir(OutFolder() + "/LEMNE_FURNIZORI"));
    EXPECT_EQ(Files(OutFolder()).size(), 5);

    // A month without gas supplements: no gas annex, and the message says so.
    testmode::clear();
    m_month->setText("01.2024");
    testmode::answerChooser(OutFolder() + "/ianuarie");
    SupplierAnnexesCommand(m_mainWindow.get());
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().text,
              "\nRaportul a fost creat!\nNu exista suplimente pentru gaze naturale (fara Anexa 15).");
    EXPECT_EQ(Files(OutFolder() + "/ianuarie"), QStringList({"LEMNE_FURNIZORI/CEZ VANZARE/Anexa16.xls"}));
}

TEST_F(SupplierReportCommandsTest, CezCommandRunsFromTheDialogToTheOpenedFolder)
{
    m_month->setText("01.2024");
    WriteSetting("CONST", "SIRUTA", "0");
    WhenChoiceShown([](SupplierChoiceDialog& d) {
        d.Siruta->setText("20297");
        d.ChooseButton->click();
    });
    testmode::answerChooser(OutFolder());
    CezReportCommand(m_mainWindow.get());

    EXPECT_EQ(ReadSetting("CONST", "SIRUTA"), "20297");
    ASSERT_EQ(testmode::choosers().size(), 1);
    EXPECT_EQ(testmode::choosers()[0].title, "Alegeti directorul unde punem Raportul CEZ");
    EXPECT_EQ(testmode::progressTexts(), QStringList({"Creez Raport CEZ - Suplimente Electrica..."}));
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Raport CEZ");
    EXPECT_EQ(testmode::messages().last().text, "\nRaportul a fost creat!");
    EXPECT_EQ(Files(OutFolder()), QStringList({"CEZ_RAPORT_LEMNE_SE/S_EE_04_20297_01_2024.xls"}));
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(m_mainWindow->isEnabled());
}

TEST_F(SupplierReportCommandsTest, EonCommandCancelledInTheDialogWritesNothing)
{
    WhenChoiceShown([](SupplierChoiceDialog& d) { d.reject(); });
    EonReportCommand(m_mainWindow.get());
    EXPECT_TRUE(testmode::choosers().isEmpty());
    EXPECT_TRUE(Files(OutFolder()).isEmpty());

    WhenChoiceShown([](SupplierChoiceDialog& d) {
        d.FurnE->setCurrentIndex(d.FurnE->findText("E.ON GAZ"));
        d.ChooseButton->click();
    });
    testmode::answerChooser(OutFolder());
    EonReportCommand(m_mainWindow.get());
    EXPECT_EQ(Files(OutFolder()), QStringList({"EON_RAPORT_LEMNE/Suplimente_Electrica.xlsx",
                                               "EON_RAPORT_LEMNE/Suplimente_Gaz.xlsx"}));
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Raport E-On Gaz");
    EXPECT_EQ(testmode::progressTexts(),
              QStringList({"Creez Raport Suplimente Electrica...", "Creez Raport Suplimente Gaz..."}));
}
