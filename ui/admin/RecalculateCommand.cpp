#include "ui/admin/RecalculateCommand.h"

#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>

namespace hestavo {

namespace {

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

void RecalculeazaCommand(const AdminSettings& formValues)
{
    const AdminSettings before = LoadAdminSettings();
    StoreAdminSettings(formValues);
    RecalculateWorkingMonth(formValues, before);
}

} // namespace hestavo
