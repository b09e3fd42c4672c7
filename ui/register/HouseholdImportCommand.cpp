#include "ui/register/HouseholdImportCommand.h"

#include "data/Months.h"
#include "data/Shell.h"
#include "register/WorkingMonth.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace hestavo {

void RunHouseholdImport(QWidget* parent, ImportKind kind)
{
    const bool vmg = kind == ImportKind::Vmg;
    // Without a working month the households would go into month serial 0,
    // where no window ever shows them.
    const QString month = WorkingMonthText();
    if (month.isEmpty()) {
        MessageDialog::Mesaj(vmg ? "Preluare L416" : "Preluare ASF", "\rAlegeti mai intai o luna de la butonul Perioada!",
                             kButtonOK, kKindError);
        return;
    }
    const QString file = vmg ? ChooseOpenFile(parent, "Alegeti o Salvare L416", "Salvare L416 (*.416)", {})
                             : ChooseOpenFile(parent, "Alegeti o Salvare ASF", "Salvare ASF (*.as2)", {});
    if (file.isEmpty())
        return;
    const long serial = MonthToSerial(month);
    Contor().Descr->setText("Desfac baza de date...");
    ShowProgress();
    const ImportResult r = ImportHouseholds(
        kind, file, serial,
        [](int position, int maximum) {
            Contor().Bar->setMaximum(maximum);
            Contor().Bar->setValue(position);
            QCoreApplication::processEvents();
        },
        [](const QString& step) { Contor().Descr->setText(step); });
    HideProgress();
    if (!r.imported) {
        MessageDialog::Mesaj(r.title, "\r" + r.error, kButtonOK, kKindError);
        return;
    }
    MessageDialog::Mesaj(vmg ? "Import din Legea 416" : "Import din ASF", "\rCererile au fost importate cu succes!",
                         kButtonOK, kKindInformation);
}

} // namespace hestavo
