#include "reports/AnnexAdder.h"

#include "documents/SpreadsheetOutput.h"
#include "register/Cnp.h"
#include "reports/ExportError.h"
#include "workbook/Workbook.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace hestavo {

namespace {

using workbook::CellValue;
using workbook::Workbook;

// The grid of Annexes 23 and 24, 0-based: rows 9 to 32, columns D to N.
constexpr int kGridFirstRow = 8, kGridLastRow = 31, kGridFirstCol = 3, kGridLastCol = 13;

QString Heading(int kind) { return "Adaugare ANEXA " + QString::number(kind); }

// A running number beyond the rows a sheet can hold (1,048,576 in .xlsx) is
// none: an edited or damaged cell, never continued.
constexpr double kMaxRowNumber = 1048576;

// A row of the beneficiary list: column A a whole number from 1 to
// kMaxRowNumber and column B not a number (the column-numbering row under the
// header reads 1, 2, 3...).

int RowNumber(const Workbook& book, int row)
{
    bool ok = false;
    const double n = book.cellText(row, 0).trimmed().toDouble(&ok);
    if (!ok || !(n >= 1 && n <= kMaxRowNumber) || n != std::floor(n))
        return 0;
    if (book.cell(row, 1).type == CellValue::Type::Number)
        return 0;
    return int(n);
}

int LastNumberedRow(const Workbook& book)
{
    for (int r = book.lastRow(); r >= 0; --r)
        if (RowNumber(book, r) > 0)
            return r;
    return -1;
}

int FirstNumberedRow(const Workbook& book)
{
    for (int r = 0; r <= book.lastRow(); ++r)
        if (RowNumber(book, r) > 0)
            return r;
    return -1;
}

// The number a cell holds: a number cell's value, a text read as a number, 0 otherwise.
double CellAmount(const Workbook& book, int row, int col)
{
    const CellValue v = book.cell(row, col);
    if (v.type == CellValue::Type::Number)
        return v.number;
    bool ok = false;
    const double n = v.text.trimmed().toDouble(&ok);
    return ok ? n : 0;
}

std::unique_ptr<Workbook> OpenInput(const QString& path, int kind)
{
    if (AnnexNumber(path) != kind)
        throw ExportError(Heading(kind), "\nAnexa aleasa NU este o Anexa " + QString::number(kind) + "!\n"
                                             + QFileInfo(path).fileName());
    return Workbook::open(path);
}

// Appends the first numbered block of the input's sheet below the combined
// sheet's last numbered row, continuing its numbers.
void AppendList(Workbook& combined, Workbook& input, int& lastRow, int& lastNumber)
{
    const int lastCol = combined.lastColumn();
    for (int in = FirstNumberedRow(input); in >= 0 && in <= input.lastRow() && RowNumber(input, in) > 0; ++in) {
        combined.insertRowCopies(lastRow, 1);
        ++lastRow;
        combined.setCell(lastRow, 0, CellValue::fromNumber(++lastNumber));
        for (int col = 1; col <= 14 && col <= lastCol; ++col)
            combined.setCell(lastRow, col, input.cell(in, col));
    }
}

void AppendSheet(Workbook& combined, int sheet, const QStringList& inputs, int kind)
{
    combined.setActiveSheet(sheet);
    int lastRow = LastNumberedRow(combined);
    if (lastRow < 0)
        throw ExportError(Heading(kind), "\nPrima Anexa din lista nu are beneficiari pe foaia " + QString::number(sheet + 1)
                                             + "!\n" + QFileInfo(inputs[0]).fileName());
    int lastNumber = RowNumber(combined, lastRow);
    for (qsizetype i = 1; i < inputs.size(); ++i) {
        std::unique_ptr<Workbook> input = OpenInput(inputs[i], kind);
        if (input->sheetCount() <= sheet)
            continue;
        input->setActiveSheet(sheet);
        AppendList(combined, *input, lastRow, lastNumber);
    }
}

void MarkDuplicates(Workbook& book)
{
    for (int sheet = 0; sheet < book.sheetCount(); ++sheet) {
        book.setActiveSheet(sheet);
        QSet<QString> seen;
        const int lastCol = book.lastColumn();
        for (int r = 0; r <= book.lastRow(); ++r) {
            const QString cnp = book.cellText(r, 2).trimmed();
            if (Cnp::isValid(cnp) && seen.contains(cnp))
                book.setCell(r, lastCol, CellValue::fromText(QStringLiteral("DUBLAT!")));
            else
                seen.insert(cnp);
        }
    }
}

void AddGrids(Workbook& combined, const QStringList& inputs, int kind)
{
    double sums[kGridLastRow + 1][kGridLastCol + 1] = {};
    for (qsizetype i = 1; i < inputs.size(); ++i) {
        std::unique_ptr<Workbook> input = OpenInput(inputs[i], kind);
        for (int r = kGridFirstRow; r <= kGridLastRow; ++r)
            for (int c = kGridFirstCol; c <= kGridLastCol; ++c)
                sums[r][c] += CellAmount(*input, r, c);
    }
    for (int r = kGridFirstRow; r <= kGridLastRow; ++r)
        for (int c = kGridFirstCol; c <= kGridLastCol; ++c) {
            if (combined.cell(r, c).isEmpty())
                continue;
            // Amounts of Annex 24 keep their cents; counts stay whole.
            const double sum = std::round((sums[r][c] + CellAmount(combined, r, c)) * 100) / 100;
            combined.setCell(r, c, CellValue::fromNumber(sum));
        }
}

} // namespace

int AnnexNumber(const QString& path)
{
    static const QRegularExpression annex(QStringLiteral("ANEXA\\s*NR\\.?\\s*(\\d+)\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    try {
        std::unique_ptr<Workbook> book = Workbook::open(path);
        book->setActiveSheet(0);
        for (int c = 0; c <= book->lastColumn(); ++c) {
            const QRegularExpressionMatch m = annex.match(book->cellText(0, c).trimmed());
            if (m.hasMatch())
                return m.captured(1).toInt();
        }
    } catch (const std::exception&) {
    }
    return 0;
}

void CheckAnnexToAdd(int kind, const QString& path, const QStringList& listed)
{
    if (AnnexNumber(path) != kind)
        throw ExportError(Heading(kind), "\nAnexa aleasa NU este o Anexa " + QString::number(kind) + "!");
    if (listed.contains(path))
        throw ExportError(Heading(kind), QStringLiteral("\nAti mai adaugat odata aceasta Anexa!"));
}

QString AddAnnexes(int kind, const QStringList& inputs, bool markDuplicates)
{
    if (inputs.size() < 2)
        throw ExportError(Heading(kind), QStringLiteral("\nAlegeti cel putin doua Anexe!"));
    OpenInput(inputs[0], kind);
    SpreadsheetOutput out;
    // The first input is the template of the result: it is read, never written.
    if (!out.OpenWorkbook(inputs[0], false))
        throw ExportError(Heading(kind), "\nNu pot deschide " + inputs[0]);
    Workbook& combined = *out.Book();
    if (kind == 15 || kind == 16) {
        AppendSheet(combined, 0, inputs, kind);
        if (combined.sheetCount() > 1)
            AppendSheet(combined, 1, inputs, kind);
        if (markDuplicates)
            MarkDuplicates(combined);
    } else {
        AddGrids(combined, inputs, kind);
    }
    combined.setActiveSheet(0);
    out.CloseWorkbook(false);
    return out.OutputFile;
}

} // namespace hestavo
