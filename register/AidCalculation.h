// The heating-aid bracket table, the energy supplement amounts and the rules
// that turn a household's income into its monthly aid. Pure functions on
// values, so the window, the editor and the recalculation share one rule.
#pragma once

#include <array>
#include <cstdint>

namespace hestavo {

// Money and the table's numbers are fixed-point counts of ten-thousandths.
using Money = std::int64_t;
constexpr Money kMoneyUnit = 10000;

// Eleven rows: an inclusive upper limit of income per member and the monthly
// aid of that row. Row 11 is the extra row of a person living alone.
struct BracketTable {
    std::array<Money, 11> limits{};
    std::array<Money, 11> aids{};
    friend bool operator==(const BracketTable&, const BracketTable&) = default;
};

// Monthly energy supplement amounts (IndL, IndG, IndT, IndE, IndE2).
struct SupplementAmounts {
    Money solid = 0;       // IndL: solid or petroleum fuel
    Money gas = 0;         // IndG
    Money thermal = 0;     // IndT
    Money electric = 0;    // IndE
    Money electricOnly = 0; // IndE2: electricity is the dwelling's only energy source
    friend bool operator==(const SupplementAmounts&, const SupplementAmounts&) = default;
};

BracketTable DefaultBracketTable();
SupplementAmounts DefaultSupplementAmounts();

// Monthly aid in whole lei for a household of `members` persons with the given
// total net monthly income. Inactive applications and empty households get 0.
int AidForIncome(const BracketTable& table, int members, bool active, double totalIncome);

// The letter ("a" for row 1 ... "k" for row 11) of the first row whose aid, in
// whole lei, equals the amount; "j" when no row has that aid.
char BracketLetter(const BracketTable& table, int amount);

// Whole lei of a fixed-point amount, truncated toward zero.
constexpr int WholeLei(Money m) { return static_cast<int>(m / kMoneyUnit); }

} // namespace hestavo
