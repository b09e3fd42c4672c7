// The window side of "Raport AJPIS - BACAU": the payment month picker's year
// check, the output folder, the closing note on annexes without data, the
// progress window and the main window after a failure half-way, and the
// county rule that shows the menu item.
#include "CountyFixture.h"

#include "data/TestMode.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/WorkingMonthLabel.h"
#include "ui/documents/ReportMonthPicker.h"
#include "ui/reports/CountyReportCommand.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace hestavo;

namespace {

// Records every change of a widget's enabled state.
class EnabledStates : public QObject {
public:
    explicit EnabledStates(QWidget* w) : m_widget(w) { w->installEventFilter(this); }
    QList<bool> states;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::EnabledChange)
            states << m_widget->isEnabled();
        return false;
    }

private:
    QWidget* m_widget;
};

class CountyWindowTest : public CountyFixture {
protected:
    void SetUp() override
    {
        CountyFixture::SetUp();
        WriteSetting("VARIABILE", "LUNA_LUCRU", "01.2024");
        SetAdminValues(LoadAdminSettings());
        testmode::enable();
        m_main = std::make_unique<QLabel>("01.2024");
        BindWorkingMonthLabel(m_main.get());
        AddApplication(1, "01.2024", {{"TITULAR", "\"POP ION\""}, {"CNP", "\"1800101040011\""}, {"CUANTUM", "288"},
                                      {"SUMAL", "30"}});
    }
    void TearDown() override
    {
        BindWorkingMonthLabel(nullptr);
        m_main.reset();
        testmode::disable();
        CountyFixture::TearDown();
    }

    // Answers the payment month picker, once it is shown, with a month and a
    // year; with cancelAfter it is then closed as "Renunt" (a refused year
    // keeps it open).
    static void AnswerPicker(int month, const QString& year, bool cancelAfter)
    {
        QTimer::singleShot(0, [=] {
            ReportMonthPicker& picker = SelLuna();
            picker.Luni12->setCurrentIndex(month);
            picker.Anul->setText(year);
            picker.findChild<QPushButton*>("B_Ales")->click();
            if (cancelAfter)
                picker.reject();
        });
    }

    std::unique_ptr<QLabel> m_main;
};

TEST_F(CountyWindowTest, RefusedYearsStopBeforeTheFolderIsChosen)
{
    for (const QString& year : {QString("2009"), QString::number(QDate::currentDate().year() + 1)}) {
        SCOPED_TRACE(year.toStdString());
        testmode::clear();
        AnswerPicker(1, year, true);
        CountyReportCommand(nullptr);
        ASSERT_EQ(testmode::hints().size(), 1);
        EXPECT_EQ(testmode::hints()[0].text, "An incorect!");
        EXPECT_EQ(testmode::hints()[0].control, "Anul");
        EXPECT_TRUE(testmode::choosers().isEmpty());
        EXPECT_TRUE(testmode::messages().isEmpty());
        EXPECT_EQ(FilesBelow(OutFolder()), QStringList());
    }
}

TEST_F(CountyWindowTest, WritesTheFolderNamesAnnexesWithoutDataAndOpensIt)
{
    testmode::answerChooser(OutFolder());
    AnswerPicker(1, "2024", false);
    CountyReportCommand(nullptr);

    ASSERT_EQ(testmode::choosers().size(), 1);
    EXPECT_EQ(testmode::choosers()[0].title, "Alegeti directorul unde punem Raportul");
    EXPECT_EQ(testmode::progressTexts(), QStringList{"Fac Anexa 13..."});
    const QString folder = OutFolder() + "/LEMNE_AJPIS";
    EXPECT_EQ(FilesBelow(folder), QStringList({"ANEXA_13_COMUNASFANTAMARIA_FEBRUARIE_2024.xls", "ANEXA_17_COMUNASFANTAMARIA_FEBRUARIE_2024.xls",
                                  "Comuna Sfanta Maria AJUTOARE INCALZIRE FEBRUARIE 2024/ANEXA_13_COMUNASFANTAMARIA_FEBRUARIE_2024.csv",
                                  "Comuna Sfanta Maria AJUTOARE INCALZIRE FEBRUARIE 2024/ANEXA_17_COMUNASFANTAMARIA_FEBRUARIE_2024.csv"}));
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
    EXPECT_EQ(testmode::messages()[0].kind, kKindInformation);
    EXPECT_EQ(testmode::messages()[0].text,
              "\nAnexele 14, 15, 16 nu au date pe luna de lucru: nu am scris nici registru, nici CSV.");
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(QDir::cleanPath(testmode::shellCalls()[0].path), QDir::cleanPath(folder));

    // Screenshots of the picker as answered and of the closing note.
    const QString shots = QDir::tempPath() + "/hestavo-shots";
    QDir().mkpath(shots);
    SelLuna().Prepare(true, true);
    EXPECT_TRUE(SelLuna().grab().save(shots + "/county-month-picker.png"));
    const testmode::Message& note = testmode::messages()[0];
    MessageDialog shown(note.title, note.text, kButtonOK, note.kind);
    EXPECT_TRUE(shown.grab().save(shots + "/county-closing-note.png"));
}

TEST_F(CountyWindowTest, FailureHalfWayHidesProgressEnablesTheWindowAndLeavesNoFile)
{
    // Annex 17 is reached after Annexes 13 to 16; its template is damaged.
    QFile damaged(paths().dataFolder + "/Anexa17.xls");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();

    QWidget main;
    main.show();
    QApplication::setActiveWindow(&main);
    EnabledStates enabled(&main);
    testmode::answerChooser(OutFolder());
    QTimer::singleShot(0, [&main] {
        SelLuna().Luni12->setCurrentIndex(1);
        SelLuna().Anul->setText("2024");
        SelLuna().findChild<QPushButton*>("B_Ales")->click();
        // The main window is the active one again once the picker has gone.
        QApplication::processEvents();
        QApplication::setActiveWindow(&main);
    });
    CountyReportCommand(&main);
    QApplication::processEvents();

    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_TRUE(testmode::messages()[0].text.contains("Anexa17.xls"));
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(enabled.states, QList<bool>({false, true}));
    EXPECT_TRUE(testmode::shellCalls().isEmpty());
    EXPECT_EQ(FilesBelow(OutFolder()), QStringList());
    EXPECT_TRUE(QDir(OutFolder() + "/LEMNE_AJPIS").isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

TEST_F(CountyWindowTest, MenuItemFollowsTheCounty)
{
    WriteSetting("SETARI", "JUDET", "ALBA");
    WriteSetting("SETARI", "CODJUD", "AB");
    WriteSetting("SETARI", "SIRUES", "4562443");
    AdministrationWindow form;
    QAction item("Raport AJPIS - BACAU");
    QObject::connect(&form, &AdministrationWindow::bacauReportVisible, &item, &QAction::setVisible);
    auto* county = form.findChild<QComboBox*>("JUDET");
    ASSERT_NE(county, nullptr);

    form.LoadSettings();
    EXPECT_FALSE(item.isVisible());
    county->setCurrentText("BACAU");
    EXPECT_TRUE(item.isVisible());
    form.reject();   // closing without saving reloads the stored county
    EXPECT_FALSE(item.isVisible());
    county->setCurrentText("BACAU");
    form.saveAndClose();
    EXPECT_TRUE(item.isVisible());
    EXPECT_EQ(ReadSetting("SETARI", "JUDET"), "BACAU");
    county->setCurrentText("CLUJ");
    EXPECT_FALSE(item.isVisible());
}

} // namespace
