// Parsed-formula tokens (rgce) of BIFF8 cells, names and array formulas: the
// walk over the tokens with their sizes, and the edits the workbook makes to
// them: moving references when rows are inserted, offsetting relative rows of
// a copied row, unsharing shared formulas, and fixing references after a sheet
// or a name is deleted. Malformed token streams raise FormatError.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>

namespace workbook::biff8::formula {

// Row insertion. A single reference or an area's first row moves by count when
// it is >= firstMove; an area's last row moves by count when it is >= lastGrow.
// Inserting k copies of data row R so that totals grow: firstMove = R + 1,
// lastGrow = R. Plain insertion below R (as a spreadsheet program does):
// firstMove = lastGrow = R + 1.
struct RowShift {
    int firstMove = 0;
    int lastGrow = 0;
    int count = 0;
    int moveRow(int r) const { return r >= firstMove ? r + count : r; }
    void moveArea(int& r1, int& r2) const
    {
        int n1 = r1 >= firstMove ? r1 + count : r1;
        int n2 = r2 >= lastGrow ? r2 + count : r2;
        r1 = n1;
        r2 = n2;
    }
};

// Which references a shift applies to: references without a sheet (when the
// formula lives on the changed sheet) and 3D references whose EXTERNSHEET
// index covers the changed sheet.
struct Scope {
    bool localRefs = true;
    std::function<bool(uint16_t ixti)> covers3d;
};

// Calls visit(tokenByte, offset) for every token; checks every size.
void forEachToken(const QByteArray& rgce, const std::function<void(uint8_t ptg, qsizetype at)>& visit);

// Moves references for an insertion; rows beyond 65,535 raise WorkbookError.
void shiftRows(QByteArray& rgce, QByteArray& extra, const RowShift& shift, const Scope& scope);
// A copy of a formula placed d rows lower: relative row parts move by d.
void offsetRows(QByteArray& rgce, int d);
// Turns the tokens of a shared formula (relative ptgRefN/ptgAreaN) into the
// cell's own tokens at (row, col).
QByteArray unshare(const QByteArray& rgce, int row, int col);
// After deleting a sheet: 3D references whose index is dead become #REF!;
// ixti indexes are kept (the EXTERNSHEET table keeps its entries).
void killDeadRefs(QByteArray& rgce, const std::function<bool(uint16_t ixti)>& dead);
// After deleting NAME records: ptgName indexes (1-based) are renumbered;
// a reference to a deleted name (map gives 0) becomes a #REF! error constant.
void remapNames(QByteArray& rgce, const std::function<uint16_t(uint16_t)>& map);

// Ranges of an area token list in a record (row first, row last, col first, col last, 2 bytes each).
constexpr int MaxRow = 65535;

} // namespace workbook::biff8::formula
