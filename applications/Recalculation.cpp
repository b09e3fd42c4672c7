#include "applications/Recalculation.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "engine/Database.h"

#include <cmath>

namespace hestavo {

namespace {

// Table values have two decimals; compare them as fixed-point money.
Money ToMoney(double value) { return std::llround(value * kMoneyUnit); }

double WholeLeiValue(Money m) { return double(WholeLei(m)); }

bool IsActive(const std::string& status) { return status == "APROBAT" || status == "MODIFICAT"; }

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

} // namespace

RecalcResult RecalculateMonth(engine::Database& db, const RecalcInput& in, WorkProgress* progress)
{
    const std::string serial = std::to_string(in.monthSerial);
    RecalcResult result;
    int total = 0;
    {
        auto count = db.open("SELECT COUNT(*) AS N FROM " + Quoted(in.cereriPath) + " WHERE LUNACRT=" + serial);
        total = int(count->integer("N"));
    }
    if (progress)
        progress->begin(total / 100);

    auto whole = [](Money m) { return WholeLei(m) * kMoneyUnit; };
    const Money electric = whole(in.amounts.electric);
    const Money electricOnly = whole(in.amounts.electricOnly);
    const Money oldElectric = whole(in.previousAmounts.electric);
    const Money oldElectricOnly = whole(in.previousAmounts.electricOnly);
    // The application keeps no mark of an only-source dwelling; its amount is
    // the only trace of that choice.
    auto isOnlySource = [&](Money stored) {
        if (oldElectric != oldElectricOnly) {
            if (stored == oldElectricOnly)
                return true;
            if (stored == oldElectric)
                return false;
        }
        return stored == electricOnly;
    };

    engine::Transaction transaction = db.beginTransaction();
    {
    engine::TableCursor row = db.openCursor(in.cereriPath, "LUNACRT=" + serial);
    for (; !row.eof(); row.next()) {
        ++result.rows;
        if (progress && result.rows % 100 == 0)
            progress->step();

        int aid = AidForIncome(in.brackets, int(row.integer("NR_MEMBRI")), IsActive(row.text("STATUT")),
                               row.number("TVENIT"));
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
            set("SUMAL", WholeLeiValue(in.amounts.solid));
        if (row.number("SUMAG") > 0)
            set("SUMAG", WholeLeiValue(in.amounts.gas));
        if (row.number("SUMAT") > 0)
            set("SUMAT", WholeLeiValue(in.amounts.thermal));
        if (row.number("SUMAE") > 0) {
            const Money stored = ToMoney(row.number("SUMAE"));
            set("SUMAE", double(WholeLei(isOnlySource(stored) ? electricOnly : electric)));
        }
        if (changed) {
            row.post();
            ++result.changed;
        }
    }
    }
    transaction.commit();
    return result;
}

} // namespace hestavo
