// The annex adder on annexes filled from the shipped templates: lists appended
// and renumbered, duplicates marked, grids added cell by cell (checked by an
// independent xlrd script), inputs never written.
#include "ReportsFixture.h"

#include "documents/SpreadsheetOutput.h"
#include "register/Cnp.h"
#include "reports/AnnexAdder.h"
#include "reports/ExportError.h"
#include "reports/MemoryRecords.h"
#include "ui/reports/AnnexAdderDialog.h"
#include "workbook/Workbook.h"
#include "data/TestMode.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace hestavo;

namespace {

QString ValidCnp(const QString& first12) { return first12 + QString::number(Cnp::controlDigit(first12)); }

QString Template(const QString& name) { return QString(HESTAVO_SOURCE_DIR) + "/resources/templates/" + name + ".xls"; }

QByteArray Digest(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

} // namespace

class AnnexAdderTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        SpreadsheetOutput::FreshTempFile = [this](const QString& stem, const QString& ext) {
            return m_dir.path() + "/Temp/" + stem + QString::number(++m_files) + ext;
        };
    }

    // An Annex 15 with these beneficiaries (name, CNP) on every sheet, or on
    // the first only when oneSheet.
    QString ListAnnex(const QString& name, const QList<QStringList>& people, bool oneSheet = false)
    {
        SpreadsheetOutput out;
        EXPECT_TRUE(out.OpenWorkbook(Template("Anexa15"), false));
        if (oneSheet) {
            out.SelectSheet(2);
            out.DeleteActiveSheet();
        }
        for (int sheet = 1; sheet <= out.SheetCount(); ++sheet) {
            out.SelectSheet(sheet);
            MemoryRecords records({"TITULAR", "CNP", "ADRESA", "SUMAG"});
            for (const QStringList& p : people)
                records.append({p[0], p[1], "Str. " + p[0], "10"});
            out.FillRows(records);
        }
        out.CloseWorkbook(false);
        const QString path = OutFolder() + "/" + name;
        EXPECT_TRUE(QFile::rename(out.OutputFile, path));
        return path;
    }

    // An Annex 23 with values written into grid cells (0-based row, column).
    QString GridAnnex(const QString& name, const QList<std::tuple<int, int, double>>& cells)
    {
        std::unique_ptr<workbook::Workbook> book = workbook::Workbook::open(Template("Anexa23"));
        for (const auto& [r, c, v] : cells)
            book->setCell(r, c, workbook::CellValue::fromNumber(v));
        const QString path = OutFolder() + "/" + name;
        book->save(path);
        return path;
    }

    int m_files = 0;
};

TEST_F(AnnexAdderTest, ListsAreAppendedRenumberedAndDuplicatesMarked)
{
    const QString twice = ValidCnp("180010112345");
    const QString a = ListAnnex("a.xls", {{"A1", ValidCnp("180010112346")}, {"A2", twice}, {"A3", ValidCnp("180010112347")}});
    const QString b = ListAnnex("b.xls", {{"B1", ValidCnp("280010112345")}, {"B2", ValidCnp("280010112346")},
                                          {"B3", twice}, {"B4", ValidCnp("280010112347")}});
    const QByteArray before = Digest(a) + Digest(b);

    const QString sum = AddAnnexes(15, {a, b}, true);
    EXPECT_EQ(Digest(a) + Digest(b), before) << "the inputs are never written";
    const QStringList rows = XlsRows(sum, 10, 8, 12);
    ASSERT_EQ(rows.size(), 8);
    QStringList numbers, names;
    for (const QString& row : rows.mid(0, 7)) {
        numbers << row.section('|', 0, 0);
        names << row.section('|', 1, 1);
    }
    EXPECT_EQ(numbers, (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(names, (QStringList{"A1", "A2", "A3", "B1", "B2", "B3", "B4"}));
    EXPECT_TRUE(rows[7].startsWith("TOTAL")) << rows[7].toStdString();
    EXPECT_FALSE(rows[1].contains("DUBLAT!")) << "the first occurrence stays unmarked";
    EXPECT_EQ(rows[5].section(QLatin1Char('|'), 10, 10), "DUBLAT!") << rows[5].toStdString();
}

// Through the window: two annexes added with the chooser, "Aduna Anexele"
// clicked, the duplicate question answered; only "Da" marks the duplicates.
TEST_F(AnnexAdderTest, TheWindowMarksDuplicatesOnlyWhenAnsweredDa)
{
    const QString twice = ValidCnp("180010112345");
    const QString a = ListAnnex("a.xls", {{"A1", twice}, {"A2", ValidCnp("180010112346")}});
    const QString b = ListAnnex("b.xls", {{"B1", twice}});
    const struct {
        Answer answer;
        bool marked;
    } cases[] = {{Answer::Yes, true}, {Answer::No, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.answer));
        testmode::enable();
        testmode::answerChooser(a);
        testmode::answerChooser(b);
        testmode::answerMessage(c.answer);
        AnnexAdderDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(dialog.AddButton, Qt::LeftButton);
            QTest::mouseClick(dialog.AddButton, Qt::LeftButton);
            QTest::mouseClick(dialog.SumButton, Qt::LeftButton);
            dialog.reject();
        });
        dialog.Open(15);
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].text, "\nDoriti sa verificam CNP-urile dublate?");
        ASSERT_EQ(testmode::shellCalls().size(), 1) << "the sum is opened";
        const QStringList rows = XlsRows(testmode::shellCalls()[0].path, 10, 3, 12);
        testmode::disable();
        ASSERT_EQ(rows.size(), 3);
        EXPECT_EQ(rows[2].section(QLatin1Char('|'), 10, 10) == "DUBLAT!", c.marked) << rows[2].toStdString();
    }
}

TEST_F(AnnexAdderTest, OneSheetAnnexFeedsOnlyTheFirstSheet)
{
    const QString a = ListAnnex("a.xls", {{"A1", ValidCnp("180010112346")}});
    const QString b = ListAnnex("b.xls", {{"B1", ValidCnp("280010112345")}}, true);
    const QString sum = AddAnnexes(15, {a, b}, false);
    const QString names = Python("import sys, xlrd\n"
                                 "b = xlrd.open_workbook(sys.argv[1])\n"
                                 "for s in b.sheets():\n"
                                 "    print(','.join(str(s.cell_value(r, 1)) for r in range(9, s.nrows) if isinstance(s.cell_value(r, 0), float)))\n",
                                 {sum});
    EXPECT_EQ(names.split('\n', Qt::SkipEmptyParts), (QStringList{"A1,B1", "A1"}));
}

// A number in column A that no sheet can hold as a running number (an annex
// edited by hand, or damaged) is not taken for one: the combined list goes
// on from the real numbers and never wraps round into negative ones.
TEST_F(AnnexAdderTest, RowNumbersBeyondAnySheetAreNotRunningNumbers)
{
    const struct {
        const char* name;
        workbook::CellValue number;
    } cases[] = {
        {"largest 32-bit number", workbook::CellValue::fromNumber(2147483647.0)},
        {"float beyond the integer range", workbook::CellValue::fromNumber(1e20)},
        {"text beyond the integer range", workbook::CellValue::fromText("3000000000")},
    };
    for (const auto& c : cases) {
        const QString a = ListAnnex(QString("a-%1.xls").arg(c.name), {{"A1", ValidCnp("180010112346")}, {"A2", ValidCnp("180010112347")}});
        const QString b = ListAnnex(QString("b-%1.xls").arg(c.name), {{"B1", ValidCnp("280010112345")}});
        {
            std::unique_ptr<workbook::Workbook> book = workbook::Workbook::open(a);
            for (int r = 0; r <= book->lastRow(); ++r)
                if (book->cellText(r, 1) == "A2")
                    book->setCell(r, 0, c.number);
            book->save(a);
        }
        const QString sum = AddAnnexes(15, {a, b}, false);
        QStringList numbers;
        for (const QString& row : XlsRows(sum, 10, 3, 2))
            numbers << row.section('|', 0, 0) + " " + row.section('|', 1, 1);
        EXPECT_EQ(numbers.mid(0, 2), (QStringList{"1 A1", "2 B1"})) << c.name;
    }
}

TEST_F(AnnexAdderTest, RefusesAnotherKindAndAFileListedTwice)
{
    const QString a15 = ListAnnex("a.xls", {{"A1", ValidCnp("180010112346")}});
    const struct {
        int kind;
        QStringList listed;
        const char* message;
    } cases[] = {{16, {}, "\nAnexa aleasa NU este o Anexa 16!"},
                 {15, {a15}, "\nAti mai adaugat odata aceasta Anexa!"}};
    for (const auto& c : cases) {
        try {
            CheckAnnexToAdd(c.kind, a15, c.listed);
            ADD_FAILURE() << c.message;
        } catch (const ExportError& e) {
            EXPECT_EQ(e.heading(), "Adaugare ANEXA " + QString::number(c.kind));
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_NO_THROW(CheckAnnexToAdd(15, a15, {}));
    try {
        AddAnnexes(23, {GridAnnex("g.xls", {}), a15}, false);
        ADD_FAILURE() << "a list annex among grids is refused";
    } catch (const ExportError& e) {
        EXPECT_TRUE(e.message().contains("a.xls")) << e.message().toStdString();
    }
}

TEST_F(AnnexAdderTest, GridsAreAddedCellByCell)
{
    // D9 5 + 7; E10 2.5 + 1 (decimal amounts keep their cents); N9 is blank in the template.
    const QString a = GridAnnex("a.xls", {{8, 3, 5}, {9, 4, 2.5}, {20, 10, 3}});
    const QString b = GridAnnex("b.xls", {{8, 3, 7}, {9, 4, 1}, {31, 12, 4}});
    const QString sum = AddAnnexes(23, {a, b}, false);
    const QString check = Python(
        "import sys, xlrd\n"
        "a, b, s = (xlrd.open_workbook(p).sheet_by_index(0) for p in sys.argv[1:4])\n"
        "num = lambda x: x if isinstance(x, float) else 0\n"
        "bad = [(r + 1, c + 1) for r in range(8, 32) for c in range(3, 14)\n"
        "       if (s.cell_value(r, c) == '') != (a.cell_value(r, c) == '')\n"
        "       or (s.cell_value(r, c) != '' and abs(s.cell_value(r, c) - num(a.cell_value(r, c)) - num(b.cell_value(r, c))) > 1e-9)]\n"
        "print(bad, s.cell_value(8, 3), s.cell_value(9, 4), repr(s.cell_value(8, 13)))\n",
        {a, b, sum});
    EXPECT_EQ(check.trimmed(), "[] 12.0 3.5 ''");
}
