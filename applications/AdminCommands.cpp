#include "applications/AdminCommands.h"

#include "applications/AdministrationWindow.h"
#include "applications/WorkingMonth.h"
#include "app/MessageDialog.h"
#include "app/ProgressWindow.h"
#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

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

// Drives the program's progress window from the walk.
class ContorProgress : public WorkProgress {
public:
    void begin(int maximum) override
    {
        Contor().Descr->setText("Recalculez cererile...");
        Contor().Bar->setMaximum(maximum);
        ShowProgress();
    }
    void step() override { StepProgress(); }
};

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

bool SettingsComplete()
{
    if (auto problem = SettingsProblem(WorkingMonthText(), AdminValues())) {
        MessageDialog::Mesaj("Raport AJPIS", *problem, kButtonOK, kKindError);
        return false;
    }
    return true;
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

std::optional<RecalcResult> RecalculateWorkingMonth(const AdminSettings& now, const AdminSettings& before)
{
    const QString month = WorkingMonthText();
    if (month.size() <= 6) {
        MessageDialog::Mesaj("Recalculare cereri", "Alegeti mai intai o luna de la butonul Perioada!", kButtonOK,
                      kKindError);
        return std::nullopt;
    }
    ContorProgress progress;
    RecalcResult result;
    try {
        result = RecalculateAndLog(month, now, before, &progress);
    } catch (...) {
        HideProgress();
        throw;
    }
    HideProgress();
    MessageDialog::Mesaj("Recalculare cereri", "Recalcularea s-a incheiat cu succes!", kButtonOK, kKindInformation);
    return result;
}

void RecalculeazaCommand(AdministrationWindow& form)
{
    const AdminSettings before = LoadAdminSettings();
    const AdminSettings now = form.FormValues();
    StoreAdminSettings(now);
    RecalculateWorkingMonth(now, before);
}

} // namespace hestavo
