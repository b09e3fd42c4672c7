// Rows grow with the wrapped text of their cells when a data row is filled,
// in .xls and .xlsx alike, as the files' readers see the heights; the line
// count behind it, case by case.
#include "Checkers.h"
#include "CountedRecords.h"

#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"
#include "workbook/xlsx/Package.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

// 10 pt text in a column of 100 points holds about 17 lower-case letters.
struct LinesCase {
    const char* what;
    QString text;
    double width;
    int lines;
};

TEST(RowHeight, WrappedLineCounts)
{
    const LinesCase cases[] = {
        {"empty text", QString(), 100, 1},
        {"a short word", QStringLiteral("Bacau"), 100, 1},
        {"two words that fill two lines", QStringLiteral("Trandafirilor Margaretelor"), 100, 2},
        {"a line end inside the value", QStringLiteral("Str. A\nnr. 5"), 100, 2},
        {"a word longer than three lines is broken", QString(60, QLatin1Char('a')), 100, 4},
        {"capitals are wider than small letters", QStringLiteral("STR. TRANDAFIRILOR NR. 12"), 100, 3},
        {"the same in small letters fits", QStringLiteral("str. trandafirilor nr. 12"), 130, 1},
        {"a wide column takes a long address on one line", QStringLiteral("Str. Aleea Trandafirilor nr. 127A, bl. C12"), 400, 1},
        {"a narrow column breaks it into many", QStringLiteral("Str. Aleea Trandafirilor nr. 127A, bl. C12"), 60, 5},
    };
    for (const LinesCase& c : cases)
        EXPECT_EQ(wrappedLines(c.text, c.width, 10), c.lines) << c.what;
}

class Addresses : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {"ADRESA", "NUME"}; }
    bool isTextColumn(const QString&) override { return true; }
    QString text(const QString& column) override
    {
        if (column == QLatin1String("NUME"))   // a cell that does not wrap: never grows its row
            return QStringLiteral("CONSTANTINESCU-POPOVICI ALEXANDRU MIHAIL GHEORGHE");
        return m_pos == 1 ? QStringLiteral("Str. Aleea Trandafirilor Înfloriţi nr. 127A, bl. C12, sc. B, et. 10, "
                                           "ap. 245, cartier Bărăţiei Noi")
                          : QStringLiteral("Str. Mare 5");
    }
    std::optional<double> number(const QString&) override { return std::nullopt; }
};

// The heights in points of rows 1..3 (the three filled rows), as read back by
// xlrd (.xls) or from the sheet's <row ht> (.xlsx).
std::vector<double> filledHeights(const QString& path, bool xlsx)
{
    std::vector<double> out;
    if (xlsx) {
        xlsx::Package p;
        p.read(path);
        const QString sheet = QString::fromUtf8(p.part(QStringLiteral("xl/worksheets/sheet1.xml")));
        for (int r = 2; r <= 4; ++r) {
            QRegularExpression row(QStringLiteral("<row [^>]*r=\"%1\"[^>]*>").arg(r));
            const QString element = row.match(sheet).captured(0);
            out.push_back(QRegularExpression(QStringLiteral("\\bht=\"([0-9.]+)\"")).match(element).captured(1).toDouble());
        }
        return out;
    }
    static const char* script = R"PY(
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1], formatting_info=True).sheet_by_index(0)
print(' '.join(str(s.rowinfo_map[r].height / 20.0) for r in (1, 2, 3)))
)PY";
    checkers::Run r = checkers::run(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    for (const QString& h : QString::fromUtf8(r.out).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.push_back(h.toDouble());
    return out;
}

TEST(RowHeight, LongAddressesGrowTheirRowsOnly)
{
    QTemporaryDir dir;
    for (const char* ext : {"xls", "xlsx"}) {
        auto book = Workbook::open(QStringLiteral(HESTAVO_TEST_DATA "/test-adrese.") + QLatin1String(ext));
        const double template_ = book->rowHeightPoints(1);
        Addresses records(3);
        fillDataRow(*book, records, CellValue());
        const QString out = dir.filePath(QStringLiteral("filled.") + QLatin1String(ext));
        book->save(out);
        const std::vector<double> h = filledHeights(out, QLatin1String(ext) == QLatin1String("xlsx"));
        ASSERT_EQ(h.size(), 3u) << ext;
        // The 4 cm column holds some 20 letters at 9 pt: the long address takes
        // five lines or more, the short ones stay at the template's 0.5 cm.
        EXPECT_NEAR(h[0], template_, 0.5) << ext;
        EXPECT_GE(h[1], 5 * 9 * 1.2) << ext;
        EXPECT_NEAR(h[2], template_, 0.5) << ext;
    }
}

} // namespace
