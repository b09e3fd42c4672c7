// A spreadsheet workbook opened from a file: a BIFF8 .xls or an .xlsx. The
// operations the documents need: sheets, cells, copies of a data row, sheet
// deletion and saving. Rows and columns are 0-based here. Everything the
// engine does not change is carried over to the saved file.
// Errors: WorkbookError with a message naming the file (damaged, encrypted,
// unsupported version, a limit of the format exceeded).
#pragma once

#include "workbook/CellValue.h"
#include "workbook/WorkbookError.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace workbook {

class Workbook {
public:
    virtual ~Workbook() = default;

    // Opens .xls or .xlsx, told apart by the file's first bytes.
    static std::unique_ptr<Workbook> open(const QString& path);

    virtual QString path() const = 0;
    virtual bool isXlsx() const = 0;
    virtual int sheetCount() const = 0;
    virtual QString sheetName(int sheet) const = 0;
    virtual int activeSheet() const = 0;
    // Out-of-range indexes are ignored.
    virtual void setActiveSheet(int sheet) = 0;
    // Deletes the active sheet; the next one (or the new last one) becomes
    // active. The only sheet of a workbook cannot be deleted.
    virtual void deleteActiveSheet() = 0;

    // Last row and column holding a cell record on the active sheet; -1 when empty.
    virtual int lastRow() const = 0;
    virtual int lastColumn() const = 0;
    // Where the active sheet has cells (blank ones included), row by row and
    // left to right: what a search for markers walks, however far the used
    // range reaches.
    virtual std::vector<std::pair<int, int>> presentCells() const = 0;
    virtual CellValue cell(int row, int col) const = 0;
    QString cellText(int row, int col) const { return cell(row, col).toText(); }
    // Writes a value keeping the cell's format (a new cell takes its row's or
    // column's format). Text over 32,767 characters or cells outside the
    // sheet's limits raise WorkbookError.
    virtual void setCell(int row, int col, const CellValue& value) = 0;
    // Inserts count copies of row `row` right below it: values, formulas (with
    // relative rows moved), formats, height and single-row merges. Rows below
    // move down; every area of the workbook that contains `row` grows by count
    // so that totals below cover all copies.
    virtual void insertRowCopies(int row, int count) = 0;

    // What the row-height fit needs to know of the active sheet's layout: does
    // the cell wrap its text, at which font size; column widths and row
    // heights in points, as printed.
    struct TextLayout {
        bool wraps = false;
        double fontPoints = 10;
    };
    virtual TextLayout textLayout(int row, int col) const = 0;
    virtual double columnWidthPoints(int col) const = 0;
    virtual double rowHeightPoints(int row) const = 0;
    // Gives the row a fixed height (kept by the programs that open the file).
    virtual void setRowHeightPoints(int row, double points) = 0;

    // Saves to path (written to a temporary file beside it, then renamed).
    virtual void save(const QString& path) = 0;

protected:
    // presentCells() of rows kept as row number -> {cells: column -> cell}.
    template <class RowMap>
    static std::vector<std::pair<int, int>> positionsOf(const RowMap& rows)
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& [row, cells] : rows)
            for (const auto& entry : cells.cells)
                out.emplace_back(row, entry.first);
        return out;
    }
};

} // namespace workbook
