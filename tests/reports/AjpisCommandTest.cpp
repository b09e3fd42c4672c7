// The "Raport AJPIS" command and its period dialog, run offscreen with the
// message dialog, the choosers and the shell scripted.
#include "AjpisFixture.h"

#include "data/TestMode.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressWindow.h"
#include "ui/reports/AjpisReportCommand.h"
#include "ui/reports/PeriodDialog.h"

#include <QDateEdit>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

using namespace hestavo;

namespace {

TEST(PeriodDialogTest, ProposesTheHeatingSeasonOfToday)
{
    const struct {
        QDate today;
        QDate from;
        QDate to;
    } cases[] = {
        {QDate(2023, 10, 15), QDate(2023, 11, 1), QDate(2024, 3, 31)},
        {QDate(2024, 2, 10), QDate(2023, 11, 1), QDate(2024, 3, 31)},
        {QDate(2024, 9, 30), QDate(2023, 11, 1), QDate(2024, 3, 31)},
        {QDate(2023, 12, 31), QDate(2023, 11, 1), QDate(2024, 3, 31)},
        {QDate(2024, 1, 1), QDate(2023, 11, 1), QDate(2024, 3, 31)},
    };
    for (const auto& c : cases) {
        const auto [from, to] = PeriodDialog::ProposedPeriod(c.today);
        EXPECT_EQ(from, c.from) << c.today.toString().toStdString();
        EXPECT_EQ(to, c.to) << c.today.toString().toStdString();
    }
}

class PeriodDialogWindow : public AjpisTest {
protected:
    void SetUp() override
    {
        AjpisTest::SetUp();
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        AjpisTest::TearDown();
    }
};

TEST_F(PeriodDialogWindow, RefusesAnEndBeforeTheStartAndKeepsTheChosenDates)
{
    {
        PeriodDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), "Rapoarte");
        dialog.Data0->setDate(QDate(2024, 3, 1));
        dialog.Data1->setDate(QDate(2024, 2, 29));
        dialog.confirm();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        ASSERT_EQ(testmode::hints().size(), 1);
        EXPECT_EQ(testmode::hints()[0].text, "Perioada incorecta!");
        EXPECT_EQ(testmode::hints()[0].control, "Data1");
        dialog.Data1->setDate(QDate(2024, 3, 1));
        dialog.confirm();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    PeriodDialog again;
    EXPECT_EQ(again.from(), QDate(2024, 3, 1));
    EXPECT_EQ(again.to(), QDate(2024, 3, 1));
}

TEST_F(PeriodDialogWindow, EnterMovesToTheNextControl)
{
    PeriodDialog dialog;
    dialog.show();
    dialog.activateWindow();
    dialog.Data0->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.Data0, &enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.focusWidget(), dialog.Data1);
}

// Notes whether the watched window was disabled at some moment.
class DisabledWatch : public QObject {
public:
    bool wasDisabled = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange && !static_cast<QWidget*>(watched)->isEnabled())
            wasDisabled = true;
        return false;
    }
};

class AjpisCommandTest : public PeriodDialogWindow {
protected:
    void SetUp() override
    {
        PeriodDialogWindow::SetUp();
        SetWorkingMonth("01.2024");
        m_mainWindow = std::make_unique<QWidget>();
        m_mainWindow->setObjectName("MainWindow");
        m_mainWindow->show();
        QApplication::setActiveWindow(m_mainWindow.get());
        m_mainWindow->installEventFilter(&m_watch);
    }
    // Confirms the period dialog with these dates once it is shown.
    static void AnswerPeriod(const QDate& from, const QDate& to)
    {
        QTimer::singleShot(0, [from, to] {
            auto* dialog = qobject_cast<PeriodDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->Data0->setDate(from);
            dialog->Data1->setDate(to);
            dialog->confirm();
        });
    }
    void TearDown() override
    {
        m_mainWindow.reset();
        PeriodDialogWindow::TearDown();
    }
    QWidget& Main() { return *m_mainWindow; }
    std::unique_ptr<QWidget> m_mainWindow;
    DisabledWatch m_watch;
};

TEST_F(AjpisCommandTest, BacauAsksFirstAndNoStopsBeforeThePeriod)
{
    WriteSetting("SETARI", "JUDET", "BACAU");
    SetAdminValues(LoadAdminSettings());
    testmode::answerMessage(Answer::No);
    AjpisReportCommand(&Main());
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
    EXPECT_EQ(testmode::messages()[0].text,
              "\nPentru judetul Bacau, folositi Raportul AJPIS - BACAU!\nDoriti sa continuati totusi?");
    EXPECT_EQ(testmode::messages()[0].kind, kKindWarning);
    EXPECT_TRUE(testmode::choosers().isEmpty());
}

TEST_F(AjpisCommandTest, WritesTheFolderSaysWhatHadNoDataAndOpensIt)
{
    AddApplication(1, "01.2024", {{"NR_MEMBRI", "2"}, {"VENITM", "100"}, {"NR_LUNI", "5"}, {"CUANTUM", "320"},
                                  {"TOTAL", "1600"}, {"TITULAR", "\"POPA ION\""}, {"CNP", "\"1900101000011\""}});
    AnswerPeriod(QDate(2023, 11, 1), QDate(2024, 3, 31));
    testmode::answerChooser(OutFolder());
    AjpisReportCommand(&Main());
    const QString folder = OutFolder() + "/LEMNE_AJPIS";
    ASSERT_EQ(testmode::messages().size(), 1);
    const testmode::Message& m = testmode::messages()[0];
    EXPECT_EQ(m.kind, kKindInformation);
    EXPECT_TRUE(m.text.startsWith("\nRaportul AJPIS s-a incheiat cu succes!")) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains("Fara date (scrise goale): Anexa14.xls, Anexa15.xls, Anexa16.xls, Anexa17.xls."))
        << m.text.toStdString();
    EXPECT_TRUE(m.text.contains("Fara date (nu au fost scrise): Anexa23_Lemne.xls")) << m.text.toStdString();
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(testmode::shellCalls()[0].path, folder);
    EXPECT_EQ(testmode::progressTexts(), QStringList({"Fac Anexele 13 si 21..."}));
    EXPECT_TRUE(QFile::exists(folder + "/Anexa13_21.xls"));
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(m_watch.wasDisabled);
    EXPECT_TRUE(Main().isEnabled());
}

TEST_F(AjpisCommandTest, AnErrorMidRunHidesTheProgressAndIsReported)
{
    AddApplication(1, "01.2024", {{"NR_MEMBRI", "2"}, {"VENITM", "100"}, {"NR_LUNI", "5"}, {"CUANTUM", "320"},
                                  {"TOTAL", "1600"}, {"SUMAT", "10"}, {"TITULAR", "\"POPA ION\""}});
    QFile damaged(paths().dataFolder + "/Anexa14.xls");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a workbook");
    damaged.close();
    AnswerPeriod(QDate(2023, 11, 1), QDate(2024, 3, 31));
    testmode::answerChooser(OutFolder());
    AjpisReportCommand(&Main());
    ASSERT_EQ(testmode::messages().size(), 1);
    const testmode::Message& m = testmode::messages()[0];
    EXPECT_EQ(m.title, "Raport AJPIS");
    EXPECT_EQ(m.kind, kKindError);
    EXPECT_TRUE(m.text.startsWith("\nRaportul AJPIS nu a fost terminat:\n")) << m.text.toStdString();
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(m_watch.wasDisabled);
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_TRUE(testmode::shellCalls().isEmpty());
    EXPECT_FALSE(QFile::exists(OutFolder() + "/LEMNE_AJPIS/Anexa14.xls"));
}

} // namespace
