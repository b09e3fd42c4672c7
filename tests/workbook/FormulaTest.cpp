// Reference moves of row insertion in BIFF8 tokens and in OOXML formula text.
#include "workbook/Bytes.h"
#include "workbook/biff8/Formula.h"
#include "workbook/xlsx/FormulaText.h"

#include <gtest/gtest.h>

using namespace workbook;
using namespace workbook::biff8;

namespace {

QByteArray area(int r1, int r2, int c1, int c2, uint8_t ptg = 0x25)
{
    QByteArray t;
    putU8(t, ptg);
    putU16(t, uint16_t(r1));
    putU16(t, uint16_t(r2));
    putU16(t, uint16_t(c1 | 0xC000));
    putU16(t, uint16_t(c2 | 0xC000));
    return t;
}

QByteArray ref(int r, int c, bool rowRelative = true, uint8_t ptg = 0x24)
{
    QByteArray t;
    putU8(t, ptg);
    putU16(t, uint16_t(r));
    putU16(t, uint16_t(c | 0x4000 | (rowRelative ? 0x8000 : 0)));
    return t;
}

QByteArray ref3d(int ixti, int r, int c)
{
    QByteArray t;
    putU8(t, 0x3A);
    putU16(t, uint16_t(ixti));
    putU16(t, uint16_t(r));
    putU16(t, uint16_t(c | 0xC000));
    return t;
}

} // namespace

TEST(Biff8Formula, InsertingCopiesOfADataRowMovesAndGrowsReferences)
{
    // Two copies of data row 5 (index 4): rows 6.. move by 2, areas holding row 5 grow.
    const formula::RowShift totals{5, 4, 2};
    const formula::RowShift plain{5, 5, 2};
    struct Case { const char* name; QByteArray tokens; bool dataRowRule; QByteArray expected; };
    const Case cases[] = {
        {"C4:C5 ends on the data row: grows", area(3, 4, 2, 2), false, area(3, 6, 2, 2)},
        {"C5:C5 is the data row: grows", area(4, 4, 2, 2), false, area(4, 6, 2, 2)},
        {"C5:C6 holds the data row: grows", area(4, 5, 2, 2), false, area(4, 7, 2, 2)},
        {"C6:C7 below: moves", area(5, 6, 2, 2), false, area(7, 8, 2, 2)},
        {"C1:C3 above: stays", area(0, 2, 2, 2), false, area(0, 2, 2, 2)},
        {"whole column stays", area(0, 65535, 2, 2), false, area(0, 65535, 2, 2)},
        {"C5 on the data row stays", ref(4, 2), false, ref(4, 2)},
        {"C6 below moves", ref(5, 2), false, ref(7, 2)},
        {"absolute $C$6 below moves", ref(5, 2, false), false, ref(7, 2, false)},
        {"data row's own C5:C5 does not grow", area(4, 4, 2, 2), true, area(4, 4, 2, 2)},
        {"data row's own C5:C6 grows", area(4, 5, 2, 2), true, area(4, 7, 2, 2)},
        {"3D reference to the sheet moves", ref3d(0, 5, 2), false, ref3d(0, 7, 2)},
        {"3D reference to another sheet stays", ref3d(1, 5, 2), false, ref3d(1, 5, 2)},
        {"tokens around references are kept",
         ref(5, 2) + QByteArray("\x1E\x02\x00\x05", 4) + area(4, 4, 1, 1) + QByteArray("\x22\x02\x04\x00", 4), false,
         ref(7, 2) + QByteArray("\x1E\x02\x00\x05", 4) + area(4, 6, 1, 1) + QByteArray("\x22\x02\x04\x00", 4)},
    };
    formula::Scope scope;
    scope.covers3d = [](uint16_t ixti) { return ixti == 0; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray t = c.tokens, extra;
        formula::shiftRows(t, extra, c.dataRowRule ? plain : totals, scope);
        EXPECT_EQ(t.toHex(' '), c.expected.toHex(' '));
    }
    // References of another sheet's formula without a sheet name stay.
    formula::Scope other;
    other.localRefs = false;
    QByteArray t = ref(5, 2), extra;
    formula::shiftRows(t, extra, totals, other);
    EXPECT_EQ(t, ref(5, 2));
}

TEST(Biff8Formula, CopiesUnsharingAndLimits)
{
    // A copy 3 rows lower: relative rows move, absolute rows stay.
    QByteArray t = ref(4, 2) + ref(4, 3, false) + area(1, 4, 0, 0);
    formula::offsetRows(t, 3);
    EXPECT_EQ(t, ref(7, 2) + ref(4, 3, false) + area(4, 7, 0, 0));

    // Shared formula tokens: ptgRefN with row offset -1, column offset +1, for the cell (10, 2).
    QByteArray shared;
    putU8(shared, 0x2C);
    putU16(shared, 0xFFFF);
    putU16(shared, 0xC001);
    QByteArray own = formula::unshare(shared, 10, 2);
    QByteArray expected;
    putU8(expected, 0x24);
    putU16(expected, 9);
    putU16(expected, 0xC003);
    EXPECT_EQ(own, expected);

    QByteArray extra;
    QByteArray last = ref(65535, 0);
    EXPECT_THROW(formula::shiftRows(last, extra, {5, 4, 1}, {}), WorkbookError);
    QByteArray unknown("\xFF\x01", 2);
    EXPECT_THROW(formula::shiftRows(unknown, extra, {5, 4, 1}, {}), FormatError);
    // A label token as Excel writes it (ptgElfLel) is passed over; the reference after it moves.
    QByteArray label = QByteArray("\x18\x01\x02\x00\x00\x00", 6) + ref(7, 1);
    formula::shiftRows(label, extra, {5, 4, 1}, {});
    EXPECT_EQ(label, QByteArray("\x18\x01\x02\x00\x00\x00", 6) + ref(8, 1));
    QByteArray unknownLabel("\x18\x55\x00\x00\x00\x00", 6);
    EXPECT_THROW(formula::shiftRows(unknownLabel, extra, {5, 4, 1}, {}), FormatError);
    QByteArray cut = ref(5, 2).left(3);
    EXPECT_THROW(formula::shiftRows(cut, extra, {5, 4, 1}, {}), FormatError);
}

TEST(XlsxFormulaText, InsertingCopiesMovesA1References)
{
    const formula::RowShift totals{5, 4, 2};
    struct Case { const char* name; const char* in; const char* out; };
    const Case cases[] = {
        {"C4:C5 grows", "SUM(C4:C5)", "SUM(C4:C7)"},
        {"C5:C5 grows", "SUM(C5:C5)", "SUM(C5:C7)"},
        {"C5:C6 grows", "SUM(C5:C6)", "SUM(C5:C8)"},
        {"cell below moves, absolute too", "C6*2+$C$6", "C8*2+$C$8"},
        {"cell on the data row stays", "C5+1", "C5+1"},
        {"string literal untouched", "\"C6\"&C6", "\"C6\"&C8"},
        {"function names are not references", "LOG10(C6)+ATAN2(1,2)", "LOG10(C8)+ATAN2(1,2)"},
        {"other sheet stays", "'Alta foaie'!C6+Alta!C6", "'Alta foaie'!C6+Alta!C6"},
        {"own sheet by name moves", "Lista!C6+'Lista'!$D$9", "Lista!C8+'Lista'!$D$11"},
        {"whole columns stay, whole rows move", "SUM(A:A)+SUM(5:6)", "SUM(A:A)+SUM(5:8)"},
    };
    auto refers = [](const QString& sheet) { return sheet.isEmpty() || sheet == QLatin1String("Lista"); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(xlsx::shiftFormula(QString::fromUtf8(c.in), totals, refers), QString::fromUtf8(c.out));
    }
    EXPECT_EQ(xlsx::offsetFormula(QStringLiteral("C5+$C$5+D$5+$E5"), 2, 0), QStringLiteral("C7+$C$5+D$5+$E7"));
    EXPECT_EQ(xlsx::offsetFormula(QStringLiteral("A2*2"), 3, 1), QStringLiteral("B5*2"));
    EXPECT_EQ(xlsx::killSheetRefs(QStringLiteral("Lista!C6+B2"), QStringLiteral("lista")), QStringLiteral("#REF!+B2"));
    EXPECT_THROW(xlsx::shiftFormula(QStringLiteral("A1048576"), {0, 0, 1}, refers), WorkbookError);
}
