#include "register/AidCalculation.h"

namespace hestavo {

BracketTable DefaultBracketTable()
{
    static constexpr int limits[11] = {200, 320, 440, 560, 680, 920, 1040, 1160, 1280, 1386, 2053};
    static constexpr int aids[11] = {320, 288, 256, 224, 192, 160, 128, 96, 64, 32, 32};
    BracketTable t;
    for (int i = 0; i < 11; ++i) {
        t.limits[i] = Money(limits[i]) * kMoneyUnit;
        t.aids[i] = Money(aids[i]) * kMoneyUnit;
    }
    return t;
}

SupplementAmounts DefaultSupplementAmounts()
{
    return {20 * kMoneyUnit, 10 * kMoneyUnit, 10 * kMoneyUnit, 30 * kMoneyUnit, 70 * kMoneyUnit};
}

int AidForIncome(const BracketTable& table, int members, bool active, double totalIncome)
{
    if (!active || members == 0)
        return 0;
    const double avg = totalIncome / members;
    auto limit = [&](int row) { return double(table.limits[row]) / kMoneyUnit; };
    if (avg > limit(10))
        return 0;
    if (members == 1 && avg > limit(9))
        return WholeLei(table.aids[10]);
    // Rows are taken in order: the first whose limit is not exceeded wins, even
    // when the limits are not ascending.
    for (int row = 0; row < 10; ++row)
        if (limit(row) >= avg)
            return WholeLei(table.aids[row]);
    return 0;
}

char BracketLetter(const BracketTable& table, int amount)
{
    for (int row = 0; row < 11; ++row)
        if (WholeLei(table.aids[row]) == amount)
            return char('a' + row);
    return 'j';
}

} // namespace hestavo
