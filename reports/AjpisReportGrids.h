// The counting grids of the AJPIS report, computed in one pass over the rows
// held in memory: the statistics by income bracket, months of aid and
// household size (Annex 21), the payments by aid amount and payment month
// (Annex 22), and the beneficiaries and amounts by calendar month and income
// bracket (Annexes 23 and 24). Pure functions on values.
//
// A row falls in bracket k when lower(k) < VENITM <= upper(k): bracket 1 from
// -1 to Lim1, bracket k from Lim(k-1) to Limk, bracket 10 (families only) from
// Lim9 to Lim10, bracket 11 (single persons only) from Lim9 to Lim11. A blank
// column matches no condition, as in the engine's filters.
#pragma once

#include "register/AidCalculation.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace hestavo {

// One application as the grids read it; nullopt stands for a blank column.
struct AjpisGridRow {
    int month = 0;                  // LUNACRT
    std::optional<int> members;     // NR_MEMBRI
    std::optional<Money> income;    // VENITM
    std::optional<int> aidMonths;   // NR_LUNI
    std::optional<Money> aid;       // CUANTUM
    Money amount = 0;               // TOTAL (Annex 22) or the supplement (Annex 24); blank counts 0
};

// Cells to write, by 1-based (row, column) of the sheet; the value is a count
// or a sum in lei. `rows` is the number of input rows counted in some cell.
struct AjpisGrid {
    std::map<std::pair<int, int>, double> cells;
    int rows = 0;
    double total() const;
};

// Whether the income lies in bracket k (1..11) for a household of this size.
bool InBracket(const BracketTable& table, int k, Money income, int members);

// Annex 21: for every bracket k, months of aid m (1..5) and household class
// c (2, 3, 4, 5, more than 5 members, single person), the number of rows at
// row 5k - m + 7, column c + 4. Every cell of the grid is present (zeros too).
AjpisGrid StatisticsGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table);

// Annex 22: the bracket is the one whose aid Cu_k equals CUANTUM; the sum of
// TOTAL of the rows with m months of aid goes to row 5k - m + 8, column
// 2(5 - m) + 5 for families and 2(5 - m) + 6 for single persons (bracket 10
// has no single persons' cells, bracket 11 no families' cells).
AjpisGrid PaymentsGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table);

// Annexes 23 and 24: for each month serial M of `months` (ascending) and each
// bracket k, the rows of month M (their number, or with sumAmounts the sum of
// their amount) go to column k + 3, row 2p + 7 for families and 2p + 8 for
// single persons, where p is the calendar month of M (1 = January), or with
// nextMonth the month after it: the aid of December is paid in January.
AjpisGrid MonthlyGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table, const std::vector<int>& months,
                      bool sumAmounts, bool nextMonth);

} // namespace hestavo
