#include "register/WorkingMonth.h"

#include "data/Settings.h"

namespace hestavo {

namespace {
WorkingMonthDisplay& Bound()
{
    static WorkingMonthDisplay display;
    return display;
}
} // namespace

void BindWorkingMonthDisplay(WorkingMonthDisplay display)
{
    Bound() = std::move(display);
}

QString WorkingMonthText()
{
    if (const auto& read = Bound().read)
        return read();
    return ReadSetting("VARIABILE", "LUNA_LUCRU");
}

void SetWorkingMonth(const QString& month)
{
    WriteSetting("VARIABILE", "LUNA_LUCRU", month);
    if (const auto& write = Bound().write)
        write(month);
}

} // namespace hestavo
