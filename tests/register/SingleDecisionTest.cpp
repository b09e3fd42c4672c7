// The single cumulative decision: the workbook read back by python3-xlrd (the
// decision's values in its text, one annex row per application with the
// totals below them), the refusals that write nothing, and the dialog's
// checks, kept choices and Enter order.
#include "RegisterFixture.h"

#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "register/DocumentRefusal.h"
#include "register/SingleDecision.h"
#include "ui/documents/SingleDecisionDialog.h"
#include "ui/register/RegisterWindow.h"

#include <QAction>
#include <QDateEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");

struct Decided {
    int key;
    const char* name;
    const char* status;
    const char* number;   // NR_DISP
    const char* cumodif;
    const char* cuajut;
    int amount, months, wood, gas, power, heat;
    const char* month = "11.2024";
};

// Number 7 of November: two plain approvals with the aid (one with
// supplements), one with supplements only, and four that are not on annex 1:
// an approval with modification (it has a supplement, so annex 2 lists it),
// a changed decision, another month, another number. Number 11: one family,
// no supplement.
const Decided kDecided[] = {
    {1, "POP ION", "APROBAT", "7", "", "X", 320, 5, 0, 0, 0, 0},
    {2, "ABA ANA", "APROBAT", "7", "", "X", 256, 4, 30, 0, 10, 0},
    {3, "ZET DAN", "APROBAT", "7", "", "", 0, 0, 0, 20, 0, 0},
    {4, "MOD ION", "APROBAT", "7", "X", "X", 320, 5, 15, 0, 0, 0},
    {5, "SCHIMBAT", "MODIFICAT", "7", "", "X", 320, 5, 30, 0, 0, 0},
    {6, "ALTA LUNA", "APROBAT", "7", "", "X", 320, 5, 30, 0, 0, 0, "10.2024"},
    {7, "ALT NUMAR", "APROBAT", "8", "", "X", 320, 5, 30, 0, 0, 0},
    {8, "UNA SINGURA", "APROBAT", "11", "", "X", 320, 5, 0, 0, 0, 0},
};

QJsonArray Sheets(const QString& xls)
{
    QProcess py;
    py.start(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral(HESTAVO_SOURCE_DIR "/tests/register/xls_cells.py"), xls});
    py.waitForFinished(120000);
    EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(py.readAllStandardOutput()).object().value("sheets").toArray();
}

QJsonArray Rows(const QJsonArray& sheets, int sheet) { return sheets[sheet].toObject().value("rows").toArray(); }
QJsonValue Cell(const QJsonArray& sheets, int sheet, int row, int col) { return Rows(sheets, sheet)[row].toArray()[col]; }

// Every text of a sheet, one cell per line.
QString SheetText(const QJsonArray& sheets, int sheet)
{
    QStringList texts;
    for (const QJsonValue& row : Rows(sheets, sheet))
        for (const QJsonValue& cell : row.toArray())
            if (cell.isString())
                texts << cell.toString();
    return texts.join('\n');
}

class SingleDecisionTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        AdminSettings s;
        s.primaria = QStringLiteral("ŞIRIA");
        s.tiploc = 1;
        s.judet = QStringLiteral("ARAD");
        s.primar = QStringLiteral("ŢURCAN ION");
        s.viceprimar = QStringLiteral("POPA ANA");
        s.intocmit = QStringLiteral("ŢARĂ ELENA");
        StoreAdminSettings(s);
        settings = LoadAdminSettings();
        MaterializeTemplates();
        SetWorkingMonth(kMonth);
        for (const Decided& d : kDecided) {
            AddRow({d.key, QString::fromLatin1(d.month), QString::fromLatin1(d.name),
                    "1800101000" + QString::number(100 + d.key), QString::fromLatin1(d.status), d.key % 3 + 1, 400,
                    100 + d.key});
            Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_DISP=\"" + d.number + "\", DATADISP=\"21.11.2024\""
                 + ", CUMODIF=\"" + d.cumodif + "\", CUAJUT=\"" + d.cuajut + "\", CUANTUM=" + QString::number(d.amount)
                 + ", NR_LUNI=" + QString::number(d.months) + ", TOTAL=" + QString::number(d.amount * d.months)
                 + ", SUMAL=" + QString::number(d.wood) + ", SUMAG=" + QString::number(d.gas)
                 + ", SUMAE=" + QString::number(d.power) + ", SUMAT=" + QString::number(d.heat)
                 + ", ADRESA=\"STR. MARE NR. " + QString::number(d.key) + "\" WHERE NRCRT=" + QString::number(d.key));
        }
    }
    static SingleDecisionChoice Choice(qint64 number)
    {
        return {number, QDate(2024, 12, 1), QStringLiteral("noiembrie 2024 - martie 2025"),
                QStringLiteral("15 ale lunii"), QStringLiteral("ARAD")};
    }
    AdminSettings settings;
    QTemporaryDir out;
};

TEST_F(SingleDecisionTest, TheWorkbookHoldsTheDecisionAndOneAnnexRowPerApplication)
{
    const QString xls = out.filePath("Unica.xls");
    const SingleDecisionResult result = WriteSingleDecision(kMonth, Choice(7), settings, xls);
    EXPECT_EQ(result.file, xls);
    EXPECT_EQ(result.annex1Rows, 2);
    EXPECT_EQ(result.annex2Rows, 3);
    const QJsonArray sheets = Sheets(xls);
    ASSERT_EQ(sheets.size(), 3);

    const QString decision = SheetText(sheets, 0);
    for (const QString& expected : {
             QStringLiteral("JUDEȚUL ARAD"),
             QStringLiteral("PRIMARUL ORAȘULUI ŞIRIA"),
             QStringLiteral("Primarul orașului ŞIRIA, județul ARAD;"),
             QStringLiteral("DISPOZIȚIA nr. 7 din 21.11.2024"),
             QStringLiteral("pentru perioada noiembrie 2024 - martie 2025"),
             QStringLiteral("depuse în luna noiembrie anul 2024, în număr de 2, înregistrate cu nr. 101 - 102;"),
             QStringLiteral("începând cu data de 01.12.2024, pentru 2 familii și persoane singure,"),
             QStringLiteral("pe o perioadă de cel mult 5 luni"),
             QStringLiteral("suplimentul pentru energie pentru 3 familii și persoane singure, în cuantumurile prevăzute în Anexa nr. 2"),
             QStringLiteral("la data de 15 ale lunii."),
             QStringLiteral("la Tribunalul ARAD."),
             QStringLiteral("Județul ARAD, persoanelor"),
             QStringLiteral("ŢURCAN ION"),
             QStringLiteral("POPA ANA"),
         })
        EXPECT_TRUE(decision.contains(expected)) << expected.toStdString();
    for (int sheet = 0; sheet < 3; ++sheet)
        EXPECT_FALSE(SheetText(sheets, sheet).contains('[')) << "a marker left on sheet " << sheet + 1;

    // Annex 1: the plain approvals with the aid, by name, from row 8; the
    // totals row below them.
    const struct { const char* name; int amount, months; } annex1[] = {{"ABA ANA", 256, 4}, {"POP ION", 320, 5}};
    double total = 0, monthly = 0;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(annex1[i].name);
        const int row = 7 + i;
        EXPECT_EQ(Cell(sheets, 1, row, 0).toDouble(), i + 1);
        EXPECT_EQ(Cell(sheets, 1, row, 1).toString(), annex1[i].name);
        EXPECT_TRUE(Cell(sheets, 1, row, 3).toString().startsWith("loc.SAT, STR. MARE NR. "));
        EXPECT_EQ(Cell(sheets, 1, row, 5).toDouble(), annex1[i].amount);
        EXPECT_EQ(Cell(sheets, 1, row, 6).toDouble(), annex1[i].months);
        EXPECT_EQ(Cell(sheets, 1, row, 7).toDouble(), annex1[i].amount * annex1[i].months);
        monthly += annex1[i].amount;
        total += annex1[i].amount * annex1[i].months;
    }
    EXPECT_EQ(Cell(sheets, 1, 9, 0).toString(), "TOTAL");
    EXPECT_EQ(Cell(sheets, 1, 9, 5).toDouble(), monthly);
    EXPECT_EQ(Cell(sheets, 1, 9, 7).toDouble(), total);
    EXPECT_TRUE(SheetText(sheets, 1).contains(QStringLiteral("la Dispoziția nr. 7 din 21.11.2024")));
    EXPECT_TRUE(SheetText(sheets, 1).contains(QStringLiteral("ŢARĂ ELENA")));

    // Annex 2: every approval of the number with a supplement.
    const struct { const char* name; int sums[4]; } annex2[] = {
        {"ABA ANA", {30, 0, 10, 0}}, {"MOD ION", {15, 0, 0, 0}}, {"ZET DAN", {0, 20, 0, 0}}};
    double sums[4] = {};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(annex2[i].name);
        EXPECT_EQ(Cell(sheets, 2, 7 + i, 1).toString(), annex2[i].name);
        for (int c = 0; c < 4; ++c) {
            const QJsonValue v = Cell(sheets, 2, 7 + i, 5 + c);
            // A zero amount leaves its cell empty.
            EXPECT_EQ(annex2[i].sums[c] == 0 ? v.toString("0") : QString::number(v.toDouble()),
                      annex2[i].sums[c] == 0 ? QString() : QString::number(annex2[i].sums[c]));
            sums[c] += annex2[i].sums[c];
        }
    }
    EXPECT_EQ(Cell(sheets, 2, 10, 0).toString(), "TOTAL");
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(Cell(sheets, 2, 10, 5 + c).toDouble(), sums[c]) << "column " << c;
}

TEST_F(SingleDecisionTest, OneFamilyAgreesInTheSingularAndNoEmptyAnnexIsCited)
{
    const QString xls = out.filePath("Unica11.xls");
    const SingleDecisionResult result = WriteSingleDecision(kMonth, Choice(11), settings, xls);
    EXPECT_EQ(result.annex1Rows, 1);
    EXPECT_EQ(result.annex2Rows, 0);
    const QJsonArray sheets = Sheets(xls);
    ASSERT_EQ(sheets.size(), 2) << "the empty annex 2 is left out";
    const QString decision = SheetText(sheets, 0);
    EXPECT_TRUE(decision.contains(QStringLiteral("pentru 1 familie sau persoană singură, pe o perioadă"))) << decision.toStdString();
    EXPECT_TRUE(decision.contains(
        QStringLiteral("Art. 2. Prin prezenta dispoziție nu se stabilește dreptul la suplimentul pentru energie.")));
    EXPECT_FALSE(decision.contains(QStringLiteral("Anexa nr. 2")));
    EXPECT_FALSE(decision.contains(QStringLiteral(" familii")));
    EXPECT_TRUE(SheetText(sheets, 1).contains(QStringLiteral("UNA SINGURA")));
}

TEST_F(SingleDecisionTest, RefusalsWriteNothing)
{
    const QString xls = out.filePath("Unica.xls");
    const QString model = EditableTemplatePath(*FindEditableTemplate("StabilireU.xls"));
    const struct {
        const char* what;
        qint64 number;
        std::function<void()> arrange;
        QString message;
    } cases[] = {
        {"no approval with the number", 9, [] {}, "\rNu exista Dipozitia Aprobata cu nr.9 !"},
        {"only a changed decision and one with modification", 7,
         [] { Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_DISP=\"3\" WHERE NRCRT<=3"); },
         "\rNu exista Dipozitia Aprobata cu nr.7 !"},
        {"the output held open by another program", 3,
         [&] { QFile(out.filePath(".~lock.Unica.xls#")).open(QIODevice::WriteOnly); }, "Nu pot scrie pe harddisk!"},
        {"the template missing", 3, [&] { QFile::remove(model); }, "Nu exista modelul " + model + "!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        try {
            WriteSingleDecision(kMonth, Choice(c.number), settings, xls);
            ADD_FAILURE() << "no refusal";
        } catch (const DocumentRefusal& r) {
            EXPECT_EQ(r.title(), "Listare Dispozitie Unica");
            EXPECT_EQ(r.text(), c.message);
        }
        EXPECT_FALSE(QFile::exists(xls));
    }
}

TEST_F(SingleDecisionTest, DialogRefusesAMissingNumberAndKeepsItsChoices)
{
    WriteSetting("DISPCUM", "PERIOADA", "noiembrie 2024 - martie 2025");
    WriteSetting("DISPCUM", "DATAP", "15");
    WriteSetting("DISPCUM", "TRIBUNAL", "ARAD");
    const struct { const char* number; bool accepted; } cases[] = {{"", false}, {"0", false}, {"00", false}, {"12", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        testmode::clear();
        SingleDecisionDialog dialog;
        EXPECT_EQ(dialog.number->text(), "0");
        EXPECT_EQ(dialog.period->text(), "noiembrie 2024 - martie 2025");
        dialog.number->setText(QString::fromLatin1(c.number));
        dialog.paymentDate->setText("20");
        dialog.findChild<QPushButton*>("List")->click();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(testmode::hints().isEmpty());
            EXPECT_EQ(dialog.choice().number, 12);
        } else {
            ASSERT_EQ(testmode::hints().size(), 1);
            EXPECT_EQ(testmode::hints()[0].text, "De emotie, ati uitat sa scrieti numarul de Dispozitie de listat!");
            EXPECT_EQ(testmode::hints()[0].control, "DecisionNumber");
        }
        // The texts are stored only when confirmed.
        EXPECT_EQ(ReadSetting("DISPCUM", "DATAP"), c.accepted ? "20" : "15");
    }
    // The start date is kept while the program runs; the number starts at 0.
    {
        SingleDecisionDialog dialog;
        EXPECT_EQ(dialog.start->date(), QDate::currentDate());
        dialog.start->setDate(QDate(2024, 12, 1));
    }
    SingleDecisionDialog dialog;
    EXPECT_EQ(dialog.start->date(), QDate(2024, 12, 1));
    EXPECT_EQ(dialog.number->text(), "0");
    EXPECT_EQ(dialog.paymentDate->text(), "20");
}

TEST_F(SingleDecisionTest, EnterMovesThroughTheFieldsAndListsFromTheLast)
{
    SingleDecisionDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.number->setText("7");
    dialog.number->setFocus();
    QWidget* const order[] = {dialog.number, dialog.start, dialog.period, dialog.paymentDate, dialog.tribunal};
    for (int i = 0; i + 1 < 5; ++i) {
        SCOPED_TRACE(order[i]->objectName().toStdString());
        ASSERT_TRUE(order[i]->hasFocus() || order[i]->isAncestorOf(QApplication::focusWidget()));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &enter);
        EXPECT_TRUE(dialog.isVisible()) << "Enter moves on before the last field";
    }
    ASSERT_TRUE(dialog.tribunal->hasFocus());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.tribunal, &enter);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SingleDecisionTest, TheMenuCommandOpensTheWorkbookOrShowsTheRefusal)
{
    QStringList opened;
    const auto previous = SpreadsheetOutput::ShellOpen;
    SpreadsheetOutput::ShellOpen = [&](const QString& path) { opened << path; };
    for (const char* number : {"7", "9"}) {
        SCOPED_TRACE(number);
        testmode::clear();
        opened.clear();
        QTimer::singleShot(0, [number] {
            auto* dialog = qobject_cast<SingleDecisionDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->number->setText(QString::fromLatin1(number));
            dialog->findChild<QPushButton*>("List")->click();
        });
        ListSingleDecision(nullptr);
        if (QString::fromLatin1(number) == "7") {
            ASSERT_EQ(opened.size(), 1);
            EXPECT_TRUE(opened[0].startsWith(paths().tempFolder)) << opened[0].toStdString();
            EXPECT_EQ(Sheets(opened[0]).size(), 3);
            EXPECT_TRUE(testmode::messages().isEmpty());
        } else {
            EXPECT_TRUE(opened.isEmpty());
            ASSERT_EQ(testmode::messages().size(), 1);
            EXPECT_EQ(testmode::messages()[0].title, "Listare Dispozitie Unica");
            EXPECT_EQ(testmode::messages()[0].text, "\rNu exista Dipozitia Aprobata cu nr.9 !");
        }
    }
    SpreadsheetOutput::ShellOpen = previous;
}

TEST_F(SingleDecisionTest, TheRegistersMenuItemOpensTheDialog)
{
    RegisterWindow window;
    QAction* item = nullptr;
    for (QAction* a : window.findChild<QPushButton*>("ListDecisions")->menu()->actions())
        if (a->text() == "Dispozitie Unica de Stabilire")
            item = a;
    ASSERT_NE(item, nullptr);
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->findChild<QPushButton*>("Cancel")->click();
        }
    });
    item->trigger();
    EXPECT_EQ(opened, "SingleDecisionDialog");
    EXPECT_TRUE(testmode::messages().isEmpty()) << "a cancelled dialog lists nothing";
}

} // namespace
