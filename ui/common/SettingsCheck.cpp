#include "ui/common/SettingsCheck.h"

#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"

namespace hestavo {

bool SettingsComplete()
{
    if (auto problem = SettingsProblem(WorkingMonthText(), AdminValues())) {
        MessageDialog::Mesaj("Raport AJPIS", *problem, kButtonOK, kKindError);
        return false;
    }
    return true;
}

} // namespace hestavo
