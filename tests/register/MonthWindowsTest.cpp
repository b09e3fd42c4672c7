// Working-month form, add-month dialog and the two month pickers, driven
// offscreen with the feedback test mode.
#include "Fixture.h"

#include "ui/common/MessageDialog.h"

#include "ui/documents/ReportMonthPicker.h"
#include "ui/register/AddMonthDialog.h"
#include "ui/register/OtherMonthPicker.h"
#include "ui/register/WorkingMonthWindow.h"

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace hestavo;

namespace {

int ThisYear() { return QDate::currentDate().year(); }

class MonthWindows : public DataFolderTest {
protected:
    // One application of the month with `members` household members.
    void AddApplication(int nrcrt, const QString& month, int members)
    {
        Exec(QString("INSERT INTO %1 (NRCRT, LUNACRT, TITULAR, NR_MEMBRI) VALUES (%2, %3, \"TITULAR %2\", %4)")
                 .arg(quotedTable("Cereri.dbf"))
                 .arg(nrcrt)
                 .arg(MonthToSerial(month))
                 .arg(members));
        for (int m = 0; m < members; ++m)
            Exec(QString("INSERT INTO %1 (NROM, NRCRT, TITULAR) VALUES (%2, %3, \"MEMBRU\")")
                     .arg(quotedTable("Oameni.dbf"))
                     .arg(nrcrt * 100 + m)
                     .arg(nrcrt));
    }
    QStringList Items(const QComboBox* combo)
    {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    }
};

} // namespace

TEST_F(MonthWindows, AddMonthDialogAcceptsYearsFrom2006ToNextYear)
{
    struct Case {
        QString year;
        bool accepted;
    };
    const int year = ThisYear();
    const Case cases[] = {
        {"2006", true},
        {QString::number(year + 1), true},
        {QString::number(year), true},
        {"2005", false},
        {QString::number(year + 2), false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year.toStdString());
        testmode::clear();
        AddMonthDialog dialog;
        dialog.Luna->setCurrentIndex(2);
        dialog.Anul->setText(c.year);
        dialog.findChild<QPushButton*>("Adauga")->click();
        if (ThisYear() != year)
            break;   // the new year began during the run: the cases were made for the old one
        if (c.accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.Result(), "03." + c.year);
            EXPECT_TRUE(testmode::hints().isEmpty());
        } else {
            EXPECT_EQ(dialog.Result(), "");
            ASSERT_EQ(testmode::hints().size(), 1);
            EXPECT_EQ(testmode::hints()[0].text, "Anul este scris gresit!");
            EXPECT_EQ(testmode::hints()[0].control, "Anul");
        }
    }
}

TEST_F(MonthWindows, AddMonthDialogDefaults)
{
    const int before = ThisYear();
    AddMonthDialog dialog;
    const int after = ThisYear();
    EXPECT_EQ(dialog.windowTitle(), "Adaugare Luna");
    EXPECT_EQ(dialog.Luna->count(), 12);
    EXPECT_EQ(dialog.Luna->currentText(), "01");
    EXPECT_TRUE(dialog.Anul->text() == QString::number(before) || dialog.Anul->text() == QString::number(after))
        << dialog.Anul->text().toStdString();
}

TEST_F(MonthWindows, AddingAMonthPutsItFirstAndMakesItTheWorkingMonth)
{
    WriteMonthList({"12.2024", "11.2024"});
    SetWorkingMonth("11.2024");
    WorkingMonthWindow form;
    form.Prepare();
    EXPECT_EQ(form.Luna->currentText(), "11.2024");

    form.AddMonth("01.2025");
    EXPECT_EQ(Items(form.Luna), QStringList({"01.2025", "12.2024", "11.2024"}));
    EXPECT_EQ(form.Luna->currentText(), "01.2025");
    EXPECT_EQ(m_monthLabel->text(), "01.2025");
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "01.2025");
    // The list file is written only on save.
    EXPECT_EQ(ReadMonthList(), QStringList({"12.2024", "11.2024"}));

    form.AddMonth("12.2024");
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Luna aleasa exista deja!");
    EXPECT_EQ(testmode::hints()[0].control, "Luna");
    EXPECT_EQ(Items(form.Luna).size(), 3);
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "01.2025");

    form.AddMonth(""); // cancelled add dialog
    EXPECT_EQ(Items(form.Luna).size(), 3);

    form.B_Memoreaza->click();
    EXPECT_EQ(ReadMonthList(), QStringList({"01.2025", "12.2024", "11.2024"}));
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "01.2025");
}

TEST_F(MonthWindows, CancelKeepsTheListFileButNotTheAddedWorkingMonth)
{
    WriteMonthList({"11.2024"});
    SetWorkingMonth("11.2024");
    WorkingMonthWindow form;
    form.Prepare();
    form.AddMonth("12.2024");
    form.B_Renunta->click();
    EXPECT_EQ(ReadMonthList(), QStringList({"11.2024"}));
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "12.2024");

    // Next opening: the working month is not in the file, nothing is selected,
    // and deleting asks for a month first.
    WorkingMonthWindow again;
    again.Prepare();
    EXPECT_EQ(again.Luna->currentIndex(), -1);
    again.B_Sterge->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Alegeti mai intai o luna!");
    EXPECT_TRUE(testmode::messages().isEmpty());
}

TEST_F(MonthWindows, DeletingTheOnlyMonthRemovesListFileRowsAndMembers)
{
    WriteMonthList({"11.2024"});
    SetWorkingMonth("11.2024");
    AddApplication(1, "11.2024", 2);
    AddApplication(2, "11.2024", 3);
    AddApplication(3, "12.2024", 1); // another month's application, not in the list
    WorkingMonthWindow form;
    form.Prepare();

    testmode::answerMessage(Answer::Yes);
    testmode::answerMessage(Answer::Yes);
    form.B_Sterge->click();

    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].title, "Stergere luna");
    EXPECT_EQ(testmode::messages()[0].text, "Doriti sa sterg luna 11.2024\rcu toate cererile aferente?");
    EXPECT_EQ(testmode::messages()[0].kind, kKindWarning);
    EXPECT_EQ(testmode::messages()[0].buttons, kDeleteQuestion) << "Enter must not delete";
    EXPECT_EQ(testmode::messages()[1].buttons, kDeleteQuestion);
    EXPECT_EQ(testmode::messages()[1].text,
              "Daca aveti cereri pe luna aceasta,\rLE STERG DE TOT DE TOT !!!\rStergem totusi ?");
    EXPECT_FALSE(QFile::exists(DataFile("Luni.lst")));
    EXPECT_EQ(form.Luna->count(), 0);
    EXPECT_EQ(m_monthLabel->text(), "");
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "");
    EXPECT_EQ(Count("Cereri.dbf", QString("LUNACRT=%1").arg(MonthToSerial("11.2024"))), 0);
    EXPECT_EQ(Count("Oameni.dbf", "NRCRT<3"), 0);
    EXPECT_EQ(Count("Cereri.dbf"), 1);
    EXPECT_EQ(Count("Oameni.dbf", "NRCRT=3"), 1);
    EXPECT_EQ(Count("Oameni.dbf"), 1);
    EXPECT_EQ(ReaderKeys("Cereri.dbf"), QList<int>({3}));
    EXPECT_EQ(ReaderKeys("Oameni.dbf"), QList<int>({3}));

    form.B_Sterge->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu mai aveti ce sterge!");
    EXPECT_EQ(testmode::hints()[0].control, "B_Sterge");
}

TEST_F(MonthWindows, DeletingOneOfSeveralMonthsSelectsTheFirst)
{
    WriteMonthList({"12.2024", "11.2024"});
    SetWorkingMonth("12.2024");
    AddApplication(1, "11.2024", 1);
    AddApplication(2, "12.2024", 2);
    WorkingMonthWindow form;
    form.Prepare();
    testmode::answerMessage(Answer::Yes);
    testmode::answerMessage(Answer::Yes);
    form.B_Sterge->click();
    EXPECT_EQ(ReadMonthList(), QStringList({"11.2024"}));
    EXPECT_EQ(m_monthLabel->text(), "11.2024");
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "11.2024");
    EXPECT_EQ(Count("Cereri.dbf"), 1);
    EXPECT_EQ(Count("Oameni.dbf"), 1);
}

TEST_F(MonthWindows, AnythingButDaKeepsTheMonth)
{
    for (int answers : {0, 1}) { // refuse the first or the second question
        SCOPED_TRACE(answers);
        testmode::clear();
        WriteMonthList({"11.2024"});
        SetWorkingMonth("11.2024");
        AddApplication(10 + answers, "11.2024", 1);
        WorkingMonthWindow form;
        form.Prepare();
        if (answers == 1)
            testmode::answerMessage(Answer::Yes);
        testmode::answerMessage(Answer::No);
        form.B_Sterge->click();
        EXPECT_EQ(testmode::messages().size(), answers + 1);
        EXPECT_EQ(ReadMonthList(), QStringList({"11.2024"}));
        EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "11.2024");
        EXPECT_EQ(Count("Cereri.dbf", QString("NRCRT=%1").arg(10 + answers)), 1);
        EXPECT_EQ(Count("Oameni.dbf", QString("NRCRT=%1").arg(10 + answers)), 1);
    }
}

TEST_F(MonthWindows, FormCaptionsAndImportMenu)
{
    WorkingMonthWindow form;
    EXPECT_EQ(form.windowTitle(), "Hestavo");
    EXPECT_EQ(form.B_Adauga->text(), "&Adauga luna");
    EXPECT_EQ(form.B_Sterge->text(), "&Sterge luna");
    EXPECT_EQ(form.B_Renunta->text(), "&Renunta si inchide");
    EXPECT_EQ(form.B_Memoreaza->text(), "&Memoreaza si inchide");
    EXPECT_EQ(form.B_Import->text(), "Import dosare din VMG sau ASF");
    auto* menu = form.findChild<QMenu*>("ImportMenu");
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* a : menu->actions())
        items << a->text();
    EXPECT_EQ(items, QStringList({"Import din VMG", "Import din ASF"}));

    // Tab follows the rows of the form from top to bottom.
    QStringList order;
    QWidget* w = form.Luna;
    for (int guard = 0; order.size() < 6 && guard < 100; ++guard, w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    EXPECT_EQ(order.join(" ").toStdString(), "Luna B_Adauga B_Sterge B_Import B_Renunta B_Memoreaza");
}

TEST_F(MonthWindows, OtherMonthPickerNeverOffersTheWorkingMonth)
{
    WriteMonthList({"12.2024", "11.2024", "10.2024"});
    SetWorkingMonth("11.2024");
    OtherMonthPicker picker;
    picker.Prepare("Copiere cereri");
    EXPECT_EQ(picker.windowTitle(), "Copiere cereri");
    EXPECT_EQ(Items(picker.Luna), QStringList({"12.2024", "10.2024"}));
    EXPECT_EQ(picker.Luna->currentText(), "12.2024");
    picker.findChild<QPushButton*>("B_Ales")->click();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_TRUE(testmode::hints().isEmpty());

    WriteMonthList({"11.2024"});
    OtherMonthPicker empty;
    empty.Prepare("Stergere cereri");
    EXPECT_EQ(empty.Luna->count(), 0);
    empty.findChild<QPushButton*>("B_Ales")->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Alegeti mai intai o luna!");
    EXPECT_NE(empty.result(), QDialog::Accepted);
}

TEST_F(MonthWindows, ReportPickerYearsAndMonthNumbers)
{
    struct Case {
        bool showYear;
        QString year;
        bool accepted;
    };
    const int year = ThisYear();
    const Case cases[] = {
        {true, QString::number(year), true},
        {true, "2010", true},
        {true, QString::number(year + 1), false},
        {true, "2009", false},
        {true, "", false},
        {false, "2009", true},   // a hidden year is not checked
        {false, "", true},
    };
    ReportMonthPicker& picker = SelLuna();
    EXPECT_EQ(picker.windowTitle(), "Alegeti luna");
    for (const Case& c : cases) {
        SCOPED_TRACE((c.year + (c.showYear ? " shown" : " hidden")).toStdString());
        testmode::clear();
        picker.Prepare(c.showYear, false);
        picker.setResult(0);
        picker.Anul->setText(c.year);
        picker.findChild<QPushButton*>("B_Ales")->click();
        if (ThisYear() != year)
            break;   // the new year began during the run
        EXPECT_EQ(picker.result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(testmode::hints().size(), c.accepted ? 0 : 1);
        if (!c.accepted) {
            EXPECT_EQ(testmode::hints()[0].text, "An incorect!");
        }
    }

    const char* numbers[] = {"11", "12", "01", "02", "03"};
    for (int i = 0; i < 5; ++i) {
        picker.Sezon->setCurrentIndex(i);
        EXPECT_EQ(picker.SeasonMonthNumber(), numbers[i]);
    }
    picker.Prepare(true, true);
    EXPECT_TRUE(picker.Luni12->isVisibleTo(&picker));
    EXPECT_FALSE(picker.Sezon->isVisibleTo(&picker));
    picker.Luni12->setCurrentIndex(8);
    EXPECT_EQ(picker.CalendarMonthName(), "Septembrie");
    // Created once: the choice stays for the next use.
    EXPECT_EQ(&SelLuna(), &picker);
    EXPECT_EQ(SelLuna().Luni12->currentIndex(), 8);
}

TEST_F(MonthWindows, UnreadableListFileIsReportedAndNothingIsWritten)
{
    QDir().mkpath(DataFile("Luni.lst")); // a folder where the list file should be
    SetWorkingMonth("11.2024");
    WorkingMonthWindow form;
    form.Open(); // reports and does not show the form
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Eroare");
    EXPECT_TRUE(testmode::messages()[0].text.contains("Luni.lst"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(QFileInfo(DataFile("Luni.lst")).isDir());
}
