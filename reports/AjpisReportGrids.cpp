#include "reports/AjpisReportGrids.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace hestavo {

namespace {

constexpr int kSingleClass = 6;

// Sums of amounts with two decimals, rounded back to cents once added up.
void RoundToCents(AjpisGrid& grid)
{
    for (auto& [cell, value] : grid.cells)
        value = std::round(value * 100) / 100;
}

// The household class of the statistics grid: 1..5 for families of 2, 3, 4,
// 5 and more than 5 members, 6 for a single person; 0 for none.
int HouseholdClass(const std::optional<int>& members)
{
    if (!members || *members < 1)
        return 0;
    if (*members == 1)
        return kSingleClass;
    return std::min(*members - 1, 5);
}

Money LowerBound(const BracketTable& table, int k)
{
    if (k == 1)
        return -kMoneyUnit;
    return table.limits[k == 11 ? 8 : k - 2];
}

} // namespace

double AjpisGrid::total() const
{
    double sum = 0;
    for (const auto& [cell, value] : cells)
        sum += value;
    return sum;
}

bool InBracket(const BracketTable& table, int k, Money income, int members)
{
    if ((k == 10 && members <= 1) || (k == 11 && members != 1))
        return false;
    return LowerBound(table, k) < income && income <= table.limits[k - 1];
}

AjpisGrid StatisticsGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table)
{
    AjpisGrid grid;
    for (int k = 1; k <= 11; ++k)
        for (int m = 1; m <= 5; ++m)
            for (int c = 1; c <= kSingleClass; ++c)
                if ((k != 10 || c != kSingleClass) && (k != 11 || c == kSingleClass))
                    grid.cells[{5 * k - m + 7, c + 4}] = 0;
    for (const AjpisGridRow& row : rows) {
        const int c = HouseholdClass(row.members);
        if (!row.income || !row.aidMonths || *row.aidMonths < 1 || *row.aidMonths > 5 || c == 0)
            continue;
        bool counted = false;
        for (int k = 1; k <= 11; ++k) {
            if (!InBracket(table, k, *row.income, *row.members))
                continue;
            grid.cells[{5 * k - *row.aidMonths + 7, c + 4}] += 1;
            counted = true;
        }
        grid.rows += counted;
    }
    return grid;
}

AjpisGrid PaymentsGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table)
{
    AjpisGrid grid;
    for (int k = 1; k <= 11; ++k)
        for (int m = 1; m <= 5; ++m) {
            if (k != 11)
                grid.cells[{5 * k - m + 8, 2 * (5 - m) + 5}] = 0;
            if (k != 10)
                grid.cells[{5 * k - m + 8, 2 * (5 - m) + 6}] = 0;
        }
    for (const AjpisGridRow& row : rows) {
        if (!row.aid || !row.aidMonths || *row.aidMonths < 1 || *row.aidMonths > 5 || !row.members)
            continue;
        const int m = *row.aidMonths;
        const bool single = *row.members == 1;
        if (!single && *row.members < 1)
            continue;
        bool counted = false;
        for (int k = 1; k <= 11; ++k) {
            if (table.aids[k - 1] != *row.aid || (single ? k == 10 : k == 11))
                continue;
            grid.cells[{5 * k - m + 8, 2 * (5 - m) + (single ? 6 : 5)}] += double(row.amount) / kMoneyUnit;
            counted = true;
        }
        grid.rows += counted;
    }
    RoundToCents(grid);
    return grid;
}

AjpisGrid MonthlyGrid(const std::vector<AjpisGridRow>& rows, const BracketTable& table, const std::vector<int>& months,
                      bool sumAmounts, bool nextMonth)
{
    // Per month serial first, then written in the order of the months, so
    // that a later month of the same calendar month replaces an earlier one.
    std::map<int, std::map<std::pair<int, int>, double>> byMonth;
    const std::set<int> wanted(months.begin(), months.end());
    for (int month : months) {
        const int p = ((nextMonth ? month + 1 : month) % 12) + 1;
        auto& cells = byMonth[month];
        for (int k = 1; k <= 11; ++k) {
            if (k != 10)
                cells[{2 * p + 8, k + 3}] = 0;
            if (k != 11)
                cells[{2 * p + 7, k + 3}] = 0;
        }
    }
    std::map<int, int> rowsOfMonth;
    for (const AjpisGridRow& row : rows) {
        if (!wanted.count(row.month) || !row.income || !row.members || *row.members < 1)
            continue;
        const int p = ((nextMonth ? row.month + 1 : row.month) % 12) + 1;
        const bool single = *row.members == 1;
        bool hit = false;
        for (int k = 1; k <= 11; ++k) {
            if (!InBracket(table, k, *row.income, *row.members))
                continue;
            byMonth[row.month][{single ? 2 * p + 8 : 2 * p + 7, k + 3}] +=
                sumAmounts ? double(row.amount) / kMoneyUnit : 1.0;
            hit = true;
        }
        rowsOfMonth[row.month] += hit;
    }
    AjpisGrid grid;
    for (int month : months) {
        for (const auto& [cell, value] : byMonth[month])
            grid.cells[cell] = value;
        grid.rows += rowsOfMonth[month];
    }
    RoundToCents(grid);
    return grid;
}

} // namespace hestavo
