#include "register/Recalculation.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "engine/Database.h"

#include <cmath>

namespace hestavo {

namespace {

// Table values have two decimals; compare them as fixed-point money.
Money ToMoney(double value) { return std::llround(value * kMoneyUnit); }

bool IsActive(const std::string& status) { return status == "APROBAT" || status == "MODIFICAT"; }

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

} // namespace

namespace {

// The amounts of one walk, in whole lei, with the rule that tells an
// only-source electricity amount from a standard one.
struct Amounts {
    explicit Amounts(const RecalcInput& in)
        : solid(WholeLei(in.amounts.solid)), gas(WholeLei(in.amounts.gas)), thermal(WholeLei(in.amounts.thermal)),
          electric(WholeLei(in.amounts.electric)), electricOnly(WholeLei(in.amounts.electricOnly)),
          oldElectric(WholeLei(in.previousAmounts.electric)), oldElectricOnly(WholeLei(in.previousAmounts.electricOnly))
    {
    }
    // The application keeps no mark of an only-source dwelling; its amount is
    // the only trace of that choice.
    bool isOnlySource(Money stored) const
    {
        if (oldElectric != oldElectricOnly) {
            if (stored == Money(oldElectricOnly) * kMoneyUnit)
                return true;
            if (stored == Money(oldElectric) * kMoneyUnit)
                return false;
        }
        return stored == Money(electricOnly) * kMoneyUnit;
    }
    int solid, gas, thermal, electric, electricOnly, oldElectric, oldElectricOnly;
};

// Sets the row's derived values; true when any of them changed.
bool RecalculateRow(engine::TableCursor& row, const BracketTable& brackets, const Amounts& amounts)
{
    int aid = AidForIncome(brackets, int(row.integer("NR_MEMBRI")), IsActive(row.text("STATUT")), row.number("TVENIT"));
    if (row.text("CUAJUT") != "X")
        aid = 0;
    bool changed = false;
    auto set = [&](const char* column, double value) {
        if (row.isNull(column) || ToMoney(row.number(column)) != ToMoney(value)) {
            row.setNumber(column, value);
            changed = true;
        }
    };
    set("CUANTUM", aid);
    set("TOTAL", double(row.integer("NR_LUNI")) * aid);
    if (row.number("SUMAL") > 0)
        set("SUMAL", amounts.solid);
    if (row.number("SUMAG") > 0)
        set("SUMAG", amounts.gas);
    if (row.number("SUMAT") > 0)
        set("SUMAT", amounts.thermal);
    if (row.number("SUMAE") > 0)
        set("SUMAE", amounts.isOnlySource(ToMoney(row.number("SUMAE"))) ? amounts.electricOnly : amounts.electric);
    return changed;
}

} // namespace

RecalcResult RecalculateMonth(engine::Database& db, const RecalcInput& in, WorkProgress* progress)
{
    const std::string serial = std::to_string(in.monthSerial);
    int total = 0;
    {
        auto count = db.open("SELECT COUNT(*) AS N FROM " + Quoted(in.cereriPath) + " WHERE LUNACRT=" + serial);
        count->first();
        total = int(count->integer("N"));
    }
    if (progress)
        progress->begin(total / 100);

    const Amounts amounts(in);
    RecalcResult result;
    engine::Transaction transaction = db.beginTransaction();
    {
        engine::TableCursor row = db.openCursor(in.cereriPath, "LUNACRT=" + serial);
        for (; !row.eof(); row.next()) {
            ++result.rows;
            if (progress && result.rows % 100 == 0)
                progress->step();
            if (RecalculateRow(row, in.brackets, amounts)) {
                row.post();
                ++result.changed;
            }
        }
    }
    transaction.commit();
    return result;
}

} // namespace hestavo
