// Income brackets to monthly aid, and the bracket letter of the decisions.
#include "register/AidCalculation.h"

#include <gtest/gtest.h>

#include <functional>

using namespace hestavo;

namespace {

struct AidCase {
    const char* rule;
    int members;
    bool active;
    double income;
    int aid;       // AidForIncome
    char letter;   // BracketLetter of that aid
    std::function<void(BracketTable&)> change = {};
};

Money Lei(int lei) { return Money(lei) * kMoneyUnit; }

} // namespace

TEST(AidCalculation, AidAndLetterFollowTheBracketTable)
{
    const AidCase cases[] = {
        {"average equal to row 1 limit falls in row 1", 2, true, 400.00, 320, 'a'},
        {"one hundredth above row 1 goes to row 2", 2, true, 400.02, 288, 'b'},
        {"average equal to row 10 limit", 4, true, 5544.00, 32, 'j'},
        {"family above row 10 gets nothing", 4, true, 5544.04, 0, 'j'},
        {"single person at row 10 limit", 1, true, 1386.00, 32, 'j'},
        {"single person above row 10 uses row 11", 1, true, 1386.50, 32, 'j'},
        {"single person at row 11 limit", 1, true, 2053.00, 32, 'j'},
        {"single person above row 11 gets nothing", 1, true, 2053.01, 0, 'j'},
        {"inactive application gets nothing", 1, false, 100.00, 0, 'j'},
        {"inactive family gets nothing", 3, false, 0.00, 0, 'j'},
        {"no members gives 0, no division", 0, true, 500.00, 0, 'j'},
        {"zero income is row 1", 3, true, 0.00, 320, 'a'},
        {"middle bracket at its limit", 3, true, 2040.00, 192, 'e'},
        {"just above a middle bracket", 3, true, 2040.03, 160, 'f'},
        {"raised row 1 aid is paid and named a", 2, true, 300.00, 350, 'a',
         [](BracketTable& t) { t.aids[0] = Lei(350); }},
        {"row 11 with its own amount is named k", 1, true, 1500.00, 40, 'k',
         [](BracketTable& t) { t.aids[10] = Lei(40); }},
        {"aid is truncated to whole lei", 2, true, 100.00, 320, 'a',
         [](BracketTable& t) { t.aids[0] = Lei(320) + 9999; }},
        {"non-ascending limits: the first matching row wins", 2, true, 500.00, 288, 'b',
         [](BracketTable& t) { t.limits[1] = Lei(900); }},
        {"an empty limit counts as 0", 2, true, 0.00, 320, 'a',
         [](BracketTable& t) { t.limits[0] = 0; }},
        {"with an empty row 1 limit a positive average moves on", 2, true, 2.00, 288, 'b',
         [](BracketTable& t) { t.limits[0] = 0; }},
    };
    for (const AidCase& c : cases) {
        SCOPED_TRACE(c.rule);
        BracketTable table = DefaultBracketTable();
        if (c.change)
            c.change(table);
        EXPECT_EQ(AidForIncome(table, c.members, c.active, c.income), c.aid);
        EXPECT_EQ(BracketLetter(table, c.aid), c.letter);
    }
}

TEST(AidCalculation, LetterOfAmountsOutsideTheTable)
{
    const BracketTable table = DefaultBracketTable();
    EXPECT_EQ(BracketLetter(table, 288), 'b');
    EXPECT_EQ(BracketLetter(table, 32), 'j');  // row 10 comes before row 11
    EXPECT_EQ(BracketLetter(table, 50), 'j');
    EXPECT_EQ(BracketLetter(table, 0), 'j');
}
