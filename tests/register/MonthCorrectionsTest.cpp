// Month-wide corrections as statements over the whole month: the aid set
// from the bracket table must be what AidForIncome gives row by row (limits
// met exactly, incomes a ban above, one-person households, blank fields),
// and only the rows each correction concerns change.
#include "Fixture.h"

#include "register/AidCalculation.h"
#include "register/MonthCorrections.h"

#include <vector>

using namespace hestavo;

namespace {

struct Household {
    int nrcrt;
    const char* month;
    const char* statut;
    const char* cuajut;
    QString members;  // "" leaves NR_MEMBRI blank
    QString income;   // "" leaves TVENIT blank
    int months;
    double cuantum;
    double total;
};

struct Stored {
    QString cuajut;
    double cuantum, total, months;
};

class MonthCorrections : public DataFolderTest {
protected:
    void Insert(const Household& h)
    {
        const auto orBlank = [](const QString& v) { return v.isEmpty() ? QStringLiteral("NULL") : v; };
        Exec(QString("INSERT INTO %1 (NRCRT, LUNACRT, STATUT, CUAJUT, NR_MEMBRI, TVENIT, NR_LUNI, CUANTUM, TOTAL) "
                     "VALUES (%2, %3, \"%4\", \"%5\", %6, %7, %8, %9, %10)")
                 .arg(quotedTable("Cereri.dbf"))
                 .arg(h.nrcrt)
                 .arg(MonthToSerial(h.month))
                 .arg(h.statut, h.cuajut, orBlank(h.members), orBlank(h.income))
                 .arg(h.months)
                 .arg(QString::number(h.cuantum, 'f', 2), QString::number(h.total, 'f', 2)));
    }
    static Stored Read(int nrcrt)
    {
        auto rs = Db().open(
            QString("SELECT * FROM %1 WHERE NRCRT=%2").arg(quotedTable("Cereri.dbf")).arg(nrcrt).toStdString());
        EXPECT_EQ(rs->recordCount(), 1);
        return {QString::fromStdString(rs->text("CUAJUT")), rs->number("CUANTUM"), rs->number("TOTAL"),
                rs->number("NR_LUNI")};
    }
};

QString Lei(Money m) { return QString::number(double(m) / kMoneyUnit, 'f', 2); }

// A table whose limits have bani and are not ascending: the first row whose
// limit is not exceeded wins.
BracketTable UnevenTable()
{
    BracketTable t = DefaultBracketTable();
    t.limits[0] = 1503300;  // 150.33
    t.limits[1] = 1402500;  // 140.25, below row 1
    t.limits[2] = 6153300;  // 615.33
    t.aids[2] = 2570000;
    t.limits[9] = 13860100; // 1386.01
    t.limits[10] = 20533300; // 2053.33
    return t;
}

// Households at every limit of the table and a ban above it, for one to
// four members, plus blank and empty households.
std::vector<Household> HouseholdsAround(const BracketTable& t)
{
    std::vector<Household> rows;
    int nrcrt = 1;
    for (int members = 1; members <= 4; ++members) {
        for (int row = 0; row < 11; ++row) {
            const Money atLimit = t.limits[row] * members;
            for (Money income : {atLimit, atLimit + 100})
                rows.push_back({nrcrt++, "11.2024", members % 2 ? "APROBAT" : "MODIFICAT", "", QString::number(members),
                                Lei(income), 5, 7, 35});
        }
    }
    rows.push_back({nrcrt++, "11.2024", "APROBAT", "", "2", "", 4, 1, 4});      // blank income: the first row
    rows.push_back({nrcrt++, "11.2024", "APROBAT", "", "", "300", 4, 1, 4});    // blank household: no aid
    rows.push_back({nrcrt++, "11.2024", "APROBAT", "", "0", "300", 4, 1, 4});   // empty household: no aid
    rows.push_back({nrcrt++, "11.2024", "APROBAT", "X", "3", "900", 0, 1, 4});  // no months: total 0
    return rows;
}

} // namespace

TEST_F(MonthCorrections, SetAidGivesEveryActiveRowTheAidOfItsBracket)
{
    for (const BracketTable& table : {DefaultBracketTable(), UnevenTable()}) {
        Exec("DELETE FROM " + quotedTable("Cereri.dbf"));
        const std::vector<Household> active = HouseholdsAround(table);
        for (const Household& h : active)
            Insert(h);
        const std::vector<Household> untouched = {
            {900, "11.2024", "RESPINS", "", "1", "10", 5, 7, 35},
            {901, "11.2024", "INCETAT", "X", "1", "10", 5, 7, 35},
            {902, "10.2024", "APROBAT", "", "1", "10", 5, 7, 35},
        };
        for (const Household& h : untouched)
            Insert(h);

        EXPECT_EQ(SetAid("11.2024", true, table, nullptr), int(active.size()));
        for (const Household& h : active) {
            const int aid = AidForIncome(table, h.members.toInt(), true, h.income.toDouble());
            const Stored s = Read(h.nrcrt);
            EXPECT_EQ(s.cuajut, "X") << h.nrcrt;
            EXPECT_EQ(s.cuantum, aid) << "members " << h.members.toStdString() << ", income " << h.income.toStdString();
            EXPECT_EQ(s.total, double(h.months) * aid) << h.nrcrt;
        }
        for (const Household& h : untouched) {
            const Stored s = Read(h.nrcrt);
            EXPECT_EQ(s.cuajut, h.cuajut) << h.nrcrt;
            EXPECT_EQ(s.cuantum, h.cuantum) << h.nrcrt;
            EXPECT_EQ(s.total, h.total) << h.nrcrt;
        }

        EXPECT_EQ(SetAid("11.2024", false, table, nullptr), int(active.size()));
        for (const Household& h : active) {
            const Stored s = Read(h.nrcrt);
            EXPECT_EQ(s.cuajut, "") << h.nrcrt;
            EXPECT_EQ(s.cuantum, 0) << h.nrcrt;
            EXPECT_EQ(s.total, 0) << h.nrcrt;
        }
        EXPECT_EQ(Read(901).cuajut, "X");
    }
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Adaugare/Stergere ajutor.\""), 4);
}

TEST_F(MonthCorrections, AidMonthsChangeEveryRowOfTheMonthAndTheTotalOfActiveRowsWithAid)
{
    const struct {
        Household h;
        double total; // after 3 months
    } cases[] = {
        {{1, "11.2024", "APROBAT", "X", "2", "300", 5, 160, 800}, 480},
        {{2, "11.2024", "MODIFICAT", "X", "2", "300", 5, 32.5, 162.5}, 97.5},
        {{3, "11.2024", "APROBAT", "", "2", "300", 5, 160, 800}, 800},    // no aid: total kept
        {{4, "11.2024", "RESPINS", "X", "2", "300", 5, 160, 800}, 800},   // inactive: total kept
        {{5, "11.2024", "APROBAT", "X", "2", "300", 5, 0, 12}, 0},        // aid 0
    };
    for (const auto& c : cases)
        Insert(c.h);
    Insert({9, "10.2024", "APROBAT", "X", "2", "300", 5, 160, 800});

    EXPECT_EQ(ChangeAidMonths("11.2024", 3, nullptr), 5);
    for (const auto& c : cases) {
        const Stored s = Read(c.h.nrcrt);
        EXPECT_EQ(s.months, 3) << c.h.nrcrt;
        EXPECT_EQ(s.total, c.total) << c.h.nrcrt;
        EXPECT_EQ(s.cuantum, c.h.cuantum) << c.h.nrcrt;
    }
    const Stored other = Read(9);
    EXPECT_EQ(other.months, 5);
    EXPECT_EQ(other.total, 800);
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Modificare Numar luni.\""), 1);
}
