// The register window: search and counter, sorting, the cursor after each
// command, add and modify through the editor, the month-wide corrections and
// the grid export.
#include "DialogKeys.h"
#include "RegisterFixture.h"

#include "register/ApplicationStore.h"
#include "register/RegisterModel.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/ApplicationDateDialog.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/RegisterWindow.h"
#include "workbook/export/GridExport.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace hestavo;

namespace {

class RegisterWindowTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        SetWorkingMonth("12.2024");
        AddRow({1, "12.2024", "POP ION", "1800101123450", "APROBAT", 2, 400, 1});
        AddRow({2, "12.2024", "POPESCU ANA", "2800229123459", "MODIFICAT", 2, 400, 2});
        AddRow({3, "12.2024", "RUS ANA", "2850612000041", "RESPINS", 2, 400, 3});
        AddRow({4, "12.2024", "ZAMFIR DAN", "1850612000041", "APROBAT", 1, 5000, 4});
        AddRow({5, "11.2024", "ALT OM", "1900101000006"});
        AddMember(1, 1, "POP ION", "1800101123450", "beneficiar");
        SetKey("NRCRT", 6);
        SetKey("NROM", 2);
        m_window = std::make_unique<RegisterWindow>();
        m_window->openList();
    }
    void TearDown() override
    {
        m_window.reset();
        RegisterTest::TearDown();
    }
    QStringList Names() const
    {
        QStringList names;
        for (int r = 0; r < m_window->model->rowCount(); ++r)
            names << m_window->model->fieldAt(r, "TITULAR");
        return names;
    }
    QString CurrentName() const { return m_window->model->fieldAt(m_window->currentRow(), "TITULAR"); }
    void GoTo(const QString& name)
    {
        const int row = int(Names().indexOf(name));
        m_window->grid->setCurrentIndex(m_window->model->index(row, 0));
    }
    std::unique_ptr<RegisterWindow> m_window;
};

} // namespace

// The title names the working month; the column the list is sorted by, and
// only that one, carries the sort indicator, following a click on a title.
TEST_F(RegisterWindowTest, TitleNamesTheMonthAndTheSortedColumnIsMarked)
{
    EXPECT_EQ(m_window->windowTitle(), "Lemne - luna 12.2024");
    QHeaderView* header = m_window->grid->horizontalHeader();
    const auto& columns = RegisterModel::columns();
    const auto columnOf = [&](const char* field) {
        for (size_t c = 0; c < columns.size(); ++c)
            if (QLatin1String(columns[c].field) == QLatin1String(field))
                return int(c);
        return -1;
    };
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), columnOf(m_window->model->orderField().toLatin1().constData()));
    const int byName = columnOf("TITULAR");
    ASSERT_GE(byName, 0);
    for (int click = 0; click < 2; ++click) {   // a second click keeps the order and its arrow
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(byName) + 5, header->height() / 2));
        EXPECT_EQ(m_window->model->orderField(), "TITULAR");
        EXPECT_EQ(header->sortIndicatorSection(), byName);
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }
}

TEST_F(RegisterWindowTest, SearchFiltersByNamePrefixAndTheCounterFollows)
{
    const struct {
        const char* typed;
        QStringList names;
    } cases[] = {
        {"POP", {"POP ION", "POPESCU ANA"}},
        {"POPE", {"POPESCU ANA"}},
        {"ANA", {}},
        {"", {"POP ION", "POPESCU ANA", "RUS ANA", "ZAMFIR DAN"}},
        {"O'NEIL", {}},
    };
    for (const auto& c : cases) {
        m_window->searchField->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(Names(), c.names) << c.typed;
        EXPECT_EQ(m_window->counter->text(), "Total cereri: " + QString::number(c.names.size())) << c.typed;
        EXPECT_EQ(m_window->modifyButton->isEnabled(), !c.names.isEmpty()) << c.typed;
        EXPECT_EQ(m_window->deleteButton->isEnabled(), !c.names.isEmpty()) << c.typed;
    }
}

// Typed into the focused search field key by key, as the clerk does: any
// case, Ş/Ţ with cedilla or comma below, digits for a CNP.
TEST_F(RegisterWindowTest, TypedSearchIgnoresCaseAndTheFormOfSTAndFindsCnps)
{
    AddRow({6, "12.2024", QString::fromUtf8("ŞTEFAN ŢONE"), "1750101000019", "APROBAT", 1, 400, 5});
    m_window->openList();
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    const struct {
        const char* typed;   // UTF-8
        QStringList names;
    } cases[] = {
        {"pop", {"POP ION", "POPESCU ANA"}},
        {"Pope", {"POPESCU ANA"}},
        {"ștefan ț", {QString::fromUtf8("ŞTEFAN ŢONE")}},
        {"ȘTEFAN ȚO", {QString::fromUtf8("ŞTEFAN ŢONE")}},
        {"şt", {QString::fromUtf8("ŞTEFAN ŢONE")}},
        {"ŞTEFAN Ţ", {QString::fromUtf8("ŞTEFAN ŢONE")}},
        {"s", {}},
        {"18", {"POP ION", "ZAMFIR DAN"}},
        {"185", {"ZAMFIR DAN"}},
        {"2850612000041", {"RUS ANA"}},
        {"1 ", {}},
    };
    for (const auto& c : cases) {
        m_window->searchField->clear();
        m_window->searchField->setFocus();
        for (const QChar ch : QString::fromUtf8(c.typed))
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        EXPECT_EQ(m_window->searchField->text(), QString::fromUtf8(c.typed).toUpper()) << c.typed;
        EXPECT_EQ(Names(), c.names) << c.typed;
        EXPECT_EQ(m_window->counter->text(), "Total cereri: " + QString::number(c.names.size())) << c.typed;
    }
}

TEST_F(RegisterWindowTest, SortKeepsTheCursorAndTheSearch)
{
    GoTo("RUS ANA");
    const int cnpColumn = 5, monthColumn = 2, nameColumn = 4;
    m_window->sortBy(cnpColumn);
    EXPECT_EQ(Names(), QStringList({"POP ION", "ZAMFIR DAN", "POPESCU ANA", "RUS ANA"}));
    EXPECT_EQ(CurrentName(), "RUS ANA");
    m_window->sortBy(monthColumn);
    EXPECT_EQ(m_window->model->orderField(), "CNP") << "the calculated month column does not sort";
    m_window->searchField->setText("POP");
    m_window->sortBy(nameColumn);
    EXPECT_EQ(Names(), QStringList({"POP ION", "POPESCU ANA"}));
    EXPECT_EQ(m_window->counter->text(), "Total cereri: 2");
}

TEST_F(RegisterWindowTest, DeleteMovesToThePreviousRow)
{
    const struct {
        const char* deleted;
        const char* after;
    } cases[] = {{"POPESCU ANA", "POP ION"}, {"POP ION", "RUS ANA"}, {"ZAMFIR DAN", "RUS ANA"}};
    for (const auto& c : cases) {
        GoTo(QString::fromLatin1(c.deleted));
        testmode::clear();
        testmode::answerMessage(Answer::Yes);
        m_window->deleteApplication();
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].text, "\rDoriti sa stergem cererea lui " + QString::fromLatin1(c.deleted) + "?");
        EXPECT_FALSE(Names().contains(QString::fromLatin1(c.deleted)));
        EXPECT_EQ(CurrentName(), QString::fromLatin1(c.after)) << c.deleted;
    }
    EXPECT_EQ(Count("Oameni.dbf"), 0) << "the members went with their application";
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Stergere Cerere 1/01.11.2024 - POP ION\""), 1);
    testmode::clear();
    testmode::answerMessage(Answer::No);
    m_window->deleteApplication();
    EXPECT_EQ(Names(), QStringList({"RUS ANA"})) << "No keeps the row";
}

// "Stergere cerere" opens with "Nu" focused: Enter keeps the application.
TEST_F(RegisterWindowTest, EnterOnTheDeleteQuestionKeepsTheApplication)
{
    GoTo("RUS ANA");
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    testmode::disable();
    QString title, focused;
    PressOnNextDialog(Qt::Key_Return, &title, &focused);
    QTest::mouseClick(m_window->deleteButton, Qt::LeftButton);
    testmode::enable();
    EXPECT_EQ(title, "Stergere cerere");
    EXPECT_EQ(focused, "Nu");
    EXPECT_TRUE(Names().contains("RUS ANA"));
}

TEST_F(RegisterWindowTest, AddThroughTheEditorWritesRowMembersAndLog)
{
    m_window->searchField->setText("ZZZ");   // the new row is hidden by the search; still logged
    ApplicationEditor& e = ApplicationEditor::instance();
    QTimer::singleShot(0, [&] {
        e.cnpField->setText("1900101000006");   // applied in November: the form fills from there
        e.numberField->setText("9");
        e.dateField->setDate(QDate(2024, 12, 3));
        e.startYear->setText("2024");
        e.period->setText("4");
        e.status->setCurrentText("APROBAT");
        e.saveButton->click();
    });
    m_window->addApplication();
    EXPECT_EQ(Count("Cereri.dbf", "NRCRT=6 AND LUNACRT=" + QString::number(MonthToSerial("12.2024")) + " AND NR_DISP=\"\""), 1);
    EXPECT_EQ(Text("SELECT TITULAR FROM " + quotedTable("Cereri.dbf") + " WHERE NRCRT=6", "TITULAR"), "ALT OM");
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Adaugare Cerere 9 - ALT OM\""), 1);
    m_window->searchField->clear();
    EXPECT_EQ(CurrentName(), "ALT OM") << "nothing was listed: the first row";
    m_window->searchField->setText("ALT");
    EXPECT_EQ(Names(), QStringList({"ALT OM"}));

    // Cancelling writes nothing.
    QTimer::singleShot(0, [&] { e.cancelButton->click(); });
    m_window->addApplication();
    EXPECT_EQ(Count("Cereri.dbf"), 6);
}

TEST_F(RegisterWindowTest, ModifyAsksAboutTheOldDocuments)
{
    GoTo("POP ION");
    const QString form = ApplicationDocumentFiles(1)[0];
    QFile(form).open(QIODevice::WriteOnly);
    ApplicationEditor& e = ApplicationEditor::instance();
    QTimer::singleShot(0, [&] {
        e.address->setText("STR. NOUA 1");
        e.saveButton->click();
    });
    testmode::answerMessage(Answer::Yes);
    m_window->modifyApplication();
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Modificare Cerere");
    EXPECT_FALSE(QFile::exists(form));
    EXPECT_EQ(Text("SELECT ADRESA FROM " + quotedTable("Cereri.dbf") + " WHERE NRCRT=1", "ADRESA"), "STR. NOUA 1");
    EXPECT_EQ(Text("SELECT NR_DISP FROM " + quotedTable("Cereri.dbf") + " WHERE NRCRT=1", "NR_DISP"), "D1")
        << "the decision number stays";
    EXPECT_EQ(CurrentName(), "POP ION");
}

TEST_F(RegisterWindowTest, MonthCorrections)
{
    GoTo("RUS ANA");
    Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET CUAJUT=\"\" WHERE NRCRT=2");
    m_window->changeAidMonths(3);
    const QString month = "SELECT * FROM " + quotedTable("Cereri.dbf") + " WHERE LUNACRT="
        + QString::number(MonthToSerial("12.2024")) + " ORDER BY NRCRT";
    EXPECT_EQ(Column(month, "NR_LUNI"), QStringList({"3", "3", "3", "3"}));
    EXPECT_EQ(Column(month, "TOTAL"), QStringList({"960", "1600", "1600", "960"}))
        << "only active rows with aid are recomputed";
    EXPECT_EQ(CurrentName(), "RUS ANA");
    EXPECT_EQ(testmode::messages().last().text, "\rRecalcularea s-a incheiat cu succes!");

    m_window->setAid(true);
    EXPECT_EQ(Column(month, "CUAJUT"), QStringList({"X", "X", "X", "X"}));
    EXPECT_EQ(Column(month, "CUANTUM"), QStringList({"320", "320", "320", "0"}))
        << "the refused row is untouched; 5000 lei for one person is above every limit";
    m_window->setAid(false);
    EXPECT_EQ(Column(month, "CUAJUT"), QStringList({"", "", "X", ""}));
    EXPECT_EQ(Column(month, "TOTAL"), QStringList({"0", "0", "1600", "0"}));
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Adaugare/Stergere ajutor.\""), 2);
}

TEST_F(RegisterWindowTest, ApplicationDateDialog)
{
    const struct {
        const char* from;
        const char* to;
        const char* hint;
        const char* control;
    } cases[] = {
        {"0", "3", "Numar incorect!", "FromNumber"},
        {"2", "0", "Numar incorect!", "ToNumber"},
        {"5", "3", "Intervalul ales este incorect!", "FromNumber"},
        {"2", "3", "", ""},
    };
    for (const auto& c : cases) {
        testmode::clear();
        ApplicationDateDialog d;
        d.fromNumber->setText(QString::fromLatin1(c.from));
        d.toNumber->setText(QString::fromLatin1(c.to));
        d.date->setDate(QDate(2024, 12, 20));
        d.putDate();
        const QString hint = testmode::hints().isEmpty() ? QString() : testmode::hints().last().text;
        EXPECT_EQ(hint, QString::fromLatin1(c.hint)) << c.from << "-" << c.to;
        if (*c.hint) {
            EXPECT_EQ(testmode::hints().last().control, QString::fromLatin1(c.control));
        }
    }
    EXPECT_EQ(Column("SELECT DATACERE FROM " + quotedTable("Cereri.dbf") + " ORDER BY NRCRT", "DATACERE"),
              QStringList({"01.11.2024", "20.12.2024", "20.12.2024", "01.11.2024", "01.11.2024"}));
    EXPECT_EQ(testmode::messages().last().text, "Cererilor specificate li s-a setat data.");
}

TEST_F(RegisterWindowTest, PersonsExportGoesThroughItsHookOrSaysItIsMissing)
{
    // The persons export lives in the reports library, which the main window
    // hands in; without it the button says so instead of doing nothing.
    const auto saved = RegisterWindow::ExportPersons;
    RegisterWindow::ExportPersons = nullptr;
    testmode::clear();
    m_window->findChild<QPushButton*>("ExportPersons")->click();
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].text, "Comanda nu este inca disponibila.");
    int calls = 0;
    RegisterWindow::ExportPersons = [&calls](QWidget*) { ++calls; };
    testmode::clear();
    m_window->findChild<QPushButton*>("ExportPersons")->click();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(testmode::messages().empty());
    RegisterWindow::ExportPersons = saved;

    testmode::clear();
    m_window->searchField->setText("NIMENI");
    m_window->findChild<QPushButton*>("NumberDecisions")->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu aveti afisata nici o cerere!");
    EXPECT_EQ(testmode::hints()[0].control, "NumberDecisions");
}

TEST_F(RegisterWindowTest, ExportWritesTheGridAsShown)
{
    m_window->searchField->setText("POP");
    const QString path = m_dir.path() + "/grila.csv";
    m_window->exportTable(path, false, int(workbook::GridFormat::Csv));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << "titles and the two listed rows";
    EXPECT_TRUE(lines[0].startsWith("Cererea Nr.")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("01.11.2024")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("POP ION")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains("POPESCU ANA")) << lines[2].toStdString();
}

TEST_F(RegisterTest, OlderTableWithoutTheControlColumnsStillLists)
{
    // A database from before the risk-profile columns existed.
    QFile::remove(tableFile("Cereri.dbf"));
    QStringList columns = cereriColumns();
    columns = columns.mid(0, columns.indexOf("STCIV CHAR(2)"));
    Exec("CREATE TABLE " + quotedTable("Cereri.dbf") + " (" + columns.join(", ") + ")");
    Exec("INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT, LUNACRT, TITULAR) VALUES (1, "
         + QString::number(MonthToSerial("12.2024")) + ", \"POP ION\")");
    SetWorkingMonth("12.2024");
    RegisterWindow window;
    window.openList();
    window.resize(1366, 768);
    window.show();
    window.grid->viewport()->repaint();
    ASSERT_EQ(window.model->rowCount(), 1);
    const int occupation = 29;
    EXPECT_EQ(QString::fromLatin1(RegisterModel::columns()[occupation].field), "SITPROF");
    EXPECT_EQ(window.model->data(window.model->index(0, occupation), Qt::DisplayRole), QVariant());
    EXPECT_EQ(window.model->data(window.model->index(0, 4), Qt::DisplayRole).toString(), "POP ION");
}

TEST_F(RegisterWindowTest, EnterAndDoubleClickOpenTheEditorOnTheCurrentRow)
{
    GoTo("RUS ANA");
    ApplicationEditor& e = ApplicationEditor::instance();
    QStringList seen;
    const auto cancelAndNote = [&] {
        QTimer::singleShot(0, [&] {
            seen << e.windowTitle() + "|" + e.applicant->text();
            e.cancelButton->click();
        });
    };
    cancelAndNote();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(m_window->grid, &enter);
    cancelAndNote();
    emit m_window->grid->doubleClicked(m_window->grid->currentIndex());
    EXPECT_EQ(seen, QStringList({"Modificare cerere|RUS ANA", "Modificare cerere|RUS ANA"}));
    m_window->searchField->setText("NIMENI");
    emit m_window->grid->doubleClicked(QModelIndex());
    EXPECT_EQ(seen.size(), 2) << "nothing listed: the editor stays closed";
}

TEST_F(RegisterWindowTest, CopyWithDuplicatesOffersTheListAndCopiesNothing)
{
    AddRow({20, "11.2024", "POP ION", "1800101123450"});
    AddRow({21, "11.2024", "NOU GIGI", "1990101123452"});
    testmode::answerMessage(Answer::Yes);
    testmode::answerMessage(Answer::Yes);
    m_window->copyFrom("11.2024");
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].text, "\rAdaugam 3 cereri din luna 11.2024?");
    EXPECT_EQ(testmode::messages()[1].title, "Adaugare Cereri");
    EXPECT_EQ(testmode::messages()[1].text, "\r1 CNP-uri exista deja in aceasta luna!\rDoriti sa vedeti lista lor?");
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    QFile list(testmode::shellCalls()[0].path);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().endsWith("1.  POP ION CNP: 1800101123450\r\n"));
    EXPECT_EQ(Names(), QStringList({"POP ION", "POPESCU ANA", "RUS ANA", "ZAMFIR DAN"})) << "nothing copied";

    testmode::clear();
    m_window->copyFrom("01.2025");   // a month with no applications: nothing to copy, no question
    EXPECT_TRUE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::progressTexts(), QStringList({"Copii cererile..."}));
    EXPECT_EQ(CurrentName(), "ZAMFIR DAN") << "the cursor goes to the last row after a copy";
}

// The purge and the copy first say how many applications they take and ask,
// "Nu" being the default; only "Da" goes on.
TEST_F(RegisterWindowTest, PurgeAndCopyAskNamingTheCountFirst)
{
    AddRow({20, "11.2024", "POP ION", "1800101123450"});
    AddRow({21, "11.2024", "RUS ANA", "2850612000041"});
    const QStringList all{"POP ION", "POPESCU ANA", "RUS ANA", "ZAMFIR DAN"};
    const struct {
        const char* command;
        Answer answer;
        const char* question;
        QStringList names;
    } cases[] = {
        {"purge", Answer::No, "\rStergem 2 cereri din luna 11.2024?", all},
        {"purge", Answer::Cancel, "\rStergem 2 cereri din luna 11.2024?", all},
        {"copy", Answer::No, "\rAdaugam 3 cereri din luna 11.2024?", all},
        {"purge", Answer::Yes, "\rStergem 2 cereri din luna 11.2024?", {"POPESCU ANA", "ZAMFIR DAN"}},
    };
    for (const auto& c : cases) {
        testmode::clear();
        testmode::answerMessage(c.answer);
        if (QString::fromLatin1(c.command) == "purge")
            m_window->purgeAgainst("11.2024");
        else
            m_window->copyFrom("11.2024");
        ASSERT_EQ(testmode::messages().size(), 1) << c.command;
        EXPECT_EQ(testmode::messages()[0].text, c.question) << c.command;
        EXPECT_EQ(testmode::messages()[0].buttons, kDeleteQuestion) << c.command;
        EXPECT_EQ(Names(), c.names) << c.command;
    }
}

// Enter on the real purge question answers "Nu": nothing is deleted.
TEST_F(RegisterWindowTest, EnterOnThePurgeQuestionDeletesNothing)
{
    AddRow({20, "11.2024", "POP ION", "1800101123450"});
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    testmode::disable();
    QString title, focused;
    PressOnNextDialog(Qt::Key_Return, &title, &focused);
    m_window->purgeAgainst("11.2024");
    testmode::enable();
    EXPECT_EQ(title, "Stergere Cereri");
    EXPECT_EQ(focused, "Nu");
    EXPECT_EQ(Names(), QStringList({"POP ION", "POPESCU ANA", "RUS ANA", "ZAMFIR DAN"}));
}

// A table that cannot be read (deleted, or a network folder gone) ends every
// command of the window in an error message; the program goes on.
TEST_F(RegisterWindowTest, ReadFailuresEndInAMessageNotTheProgram)
{
    GoTo("POP ION");
    ASSERT_TRUE(QFile::remove(tableFile("Cereri.dbf")));
    resetDb();
    const auto button = [&](const char* name) { return m_window->findChild<QPushButton*>(name); };
    const struct {
        const char* what;
        std::function<void()> act;
    } commands[] = {
        {"Adauga cerere", [&] { QTest::mouseClick(button("AddApplication"), Qt::LeftButton); }},
        {"Modifica cerere", [&] { QTest::mouseClick(button("ModifyApplication"), Qt::LeftButton); }},
        {"Sterge cerere", [&] {
             testmode::answerMessage(Answer::Yes);
             QTest::mouseClick(button("DeleteApplication"), Qt::LeftButton);
         }},
        {"Enter on the grid", [&] { QTest::keyClick(m_window->grid, Qt::Key_Return); }},
        {"sort by a column", [&] {
             QHeaderView* header = m_window->grid->horizontalHeader();
             QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                               QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
         }},
    };
    for (const auto& c : commands) {
        testmode::clear();
        c.act();
        const auto& shown = testmode::messages();
        ASSERT_FALSE(shown.isEmpty()) << c.what;
        EXPECT_EQ(shown.last().title, "Eroare") << c.what;
        EXPECT_EQ(shown.last().kind, kKindError) << c.what;
    }
}
