#include "register/AdminValues.h"

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"

namespace hestavo {

namespace {

struct Loaded {
    AdminSettings values;
    bool loaded = false;
};

Loaded& Current()
{
    static Loaded current;
    return current;
}

} // namespace

const AdminSettings& AdminValues()
{
    Loaded& c = Current();
    if (!c.loaded)
        SetAdminValues(LoadAdminSettings());
    return c.values;
}

void SetAdminValues(const AdminSettings& values)
{
    Current() = {values, true};
}

int AidForIncome(int members, bool active, double totalIncome)
{
    return AidForIncome(AdminValues().brackets, members, active, totalIncome);
}

char BracketLetter(int amount)
{
    return BracketLetter(AdminValues().brackets, amount);
}

RecalcResult RecalculateAndLog(const QString& month, const AdminSettings& now, const AdminSettings& before,
                               WorkProgress* progress)
{
    RecalcInput input;
    input.cereriPath = tableFile("Cereri.dbf").toStdString();
    input.monthSerial = MonthToSerial(month);
    input.brackets = now.brackets;
    input.amounts = now.supplements;
    input.previousAmounts = before.supplements;
    const RecalcResult result = RecalculateMonth(Db(), input, progress);
    LogAction("Recalculare cereri.");
    return result;
}

} // namespace hestavo
