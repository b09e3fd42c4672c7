// The payment list: its three sheets read back by xlrd against the month's
// rows, the heading and signatory markers, the selection dialog and the
// refusals.
#include "PaymentFixture.h"

#include "data/TestMode.h"
#include "documents/OutputError.h"
#include "documents/PaymentList.h"
#include "ui/documents/PaymentListDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace {

// Per sheet: data rows, the sum of each amount column in hundredths (as
// "column:sum"), and the first row's cells; then the heading and signatures.
const char* kSheets =
    "import sys, xlrd\n"
    "b = xlrd.open_workbook(sys.argv[1])\n"
    "for s in b.sheets():\n"
    "    head = [s.cell_value(7, c) for c in range(s.ncols)]\n"
    "    rows = [r for r in range(9, s.nrows) if isinstance(s.cell_value(r, 0), float)]\n"
    "    sums = ['%d:%d' % (c, sum(round((s.cell_value(r, c) or 0) * 100) for r in rows)) for c in range(6, s.ncols)"
    " if head[c].startswith(('Total', 'Supliment'))]\n"
    "    total = [r for r in range(s.nrows) if s.cell_value(r, 0) == 'TOTAL'][0]\n"
    "    print(s.name, len(rows), ' '.join(sums), 'totals row', total + 1,"
    " [s.cell_value(rows[0], c) for c in range(1, 6)] if rows else '')\n"
    "s = b.sheet_by_index(0)\n"
    "total = [r for r in range(s.nrows) if s.cell_value(r, 0) == 'TOTAL'][0]\n"
    "print('|'.join(str(s.cell_value(r, c)) for r, c in ((0, 0), (1, 0), (4, 0), (total + 2, 1), (total + 3, 1),"
    " (total + 2, 5), (total + 3, 5), (total + 2, 9))) + '|')\n";

} // namespace

class PaymentListTest : public PaymentTest {};

TEST_F(PaymentListTest, SheetsHoldTheMonthsPaidApplications)
{
    const PaymentListResult result = MakePaymentList(Month(), {{}, "decembrie 2024"});
    ASSERT_TRUE(result.file.endsWith(".xls"));
    EXPECT_EQ(result.sheets[0].rows, 4);
    EXPECT_EQ(result.sheets[0].totalCents, 288075);
    EXPECT_EQ(result.sheets[2].supplementCents, 35085);
    const QStringList lines = Python(kSheets, {result.file}).split('\n');
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    // Sheet 1: every approved or modified application of the month; sheet 2
    // those with aid, sheet 3 those with the supplement. The totals row (row
    // 11 in the template) moves below the copies.
    EXPECT_TRUE(lines[0].startsWith("Cumulat 4 8:288075 9:35085 totals row 14 ['IONESCU MIHAI', '1700303334455', '13/', "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("Ajutoare 3 8:288075 totals row 13 ['POPESCU ION'")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Suplim.Lemne 2 6:35085 totals row 12 ['IONESCU MIHAI'")) << lines[2].toStdString();
    EXPECT_EQ(lines[3].toStdString(), std::string("Judet   1 - ALBA|Primaria   1234567890 - Sat Nou|privind ajutorul pentru încălzirea locuinței și "
                        "suplimentul pentru combustibili solizi/petrolieri pe luna decembrie 2024|PRIMAR,|Ion Primarul|"
                        "Contabil,|Ana Contabila| |"));

    ASSERT_TRUE(Convert("csv", {result.file}, m_dir.path() + "/csv")) << "LibreOffice opens the list";
}

TEST_F(PaymentListTest, SelectionNarrowsEverySheet)
{
    const struct {
        const char* name;
        PaymentSelection selection;
        int rows[3];
    } cases[] = {
        {"all", {}, {4, 3, 2}},
        {"locality SAT A", {"SAT A", u'A', u'Z'}, {2, 1, 1}},
        {"names up to M", {{}, u'A', u'M'}, {1, 0, 1}},
        {"names from P to P", {{}, u'P', u'P'}, {1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PaymentListResult r = MakePaymentList(Month(), {c.selection, "x"});
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(r.sheets[i].rows, c.rows[i]) << "sheet " << i + 1;
    }
}

TEST_F(PaymentListTest, DialogAndRefusals)
{
    PaymentListDialog& dialog = PaymentListDialog::instance();
    WriteSetting("CONST", "PERSTAT", "noiembrie 2024");
    dialog.prepare(Month(), true);
    EXPECT_EQ(dialog.Localit->count(), 3);
    EXPECT_EQ(dialog.Localit->itemText(0), "* toate localitatile *");
    EXPECT_EQ(dialog.Localit->itemText(2), "SAT B");
    EXPECT_EQ(dialog.PerioadaS->text(), "noiembrie 2024");
    EXPECT_EQ(dialog.Lit1->count(), 22);
    dialog.Lit2->setCurrentText("M");
    dialog.PerioadaS->setText("decembrie 2024");
    dialog.confirm();
    EXPECT_EQ(ReadSetting("CONST", "PERSTAT"), "decembrie 2024");
    dialog.prepare(Month(), false);
    EXPECT_EQ(dialog.Lit2->currentText(), "M") << "letters are kept between openings";
    EXPECT_TRUE(dialog.Stat1->isHidden());
    dialog.Lit2->setCurrentText("Z");

    // The register's command: the list is filled and handed to the desktop.
    QTimer::singleShot(0, [&] { dialog.confirm(); });
    ShowPaymentList(Month());
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_TRUE(testmode::shellCalls()[0].path.endsWith(".xls"));

    // An empty month is refused with a message, nothing is shown.
    QTimer::singleShot(0, [&] { dialog.confirm(); });
    ShowPaymentList(MonthToSerial("01.2025"));
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Stat de plata");
    EXPECT_EQ(testmode::messages().last().text, "\rNu exista cereri aprobate sau modificate pentru selectia aleasa!");
    EXPECT_EQ(testmode::shellCalls().size(), 1);

    // A missing template is named.
    QFile::remove(DataFile("Stat.xls"));
    EXPECT_THROW(MakePaymentList(Month(), {{}, "x"}), OutputError);
}
