#include "ui/reports/CountyReportCommand.h"

#include "data/Shell.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "reports/CountyReport.h"
#include "reports/ExportError.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressSink.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/SettingsCheck.h"
#include "ui/documents/ReportMonthPicker.h"
#include "ui/reports/OutputFolder.h"

#include <QLabel>

namespace hestavo {

void CountyReportCommand(QWidget* parent)
{
    if (!SettingsComplete())
        return;
    if (!PickReportMonth(true, true))
        return;
    const PaymentMonth month{SelLuna().CalendarMonthName(), SelLuna().YearText().toInt()};
    const QString folder = ChooseOutputFolder(parent, QStringLiteral("Alegeti directorul unde punem Raportul"),
                                              QStringLiteral("LEMNE_AJPIS"), QStringLiteral("Raport AJPIS"));
    if (folder.isEmpty())
        return;
    RunCommand([&] {
        CountyOutcome outcome;
        try {
            ProgressSink progress(QStringLiteral("Fac Anexa 13..."));
            progress.begin(8);
            outcome = WriteCountyReport(WorkingMonthText(), month, folder, AdminValues(),
                                        [&progress](const QString& text, bool step) {
                                            Contor().Descr->setText(text);
                                            if (step)
                                                progress.step();
                                        });
        } catch (const ExportError& e) {
            MessageDialog::Mesaj(e.heading(), e.message(), kButtonOK, kKindError);
            return;
        }
        if (const QString note = WithoutDataNote(outcome); !note.isEmpty())
            MessageDialog::Mesaj(QStringLiteral("Raport AJPIS"), "\n" + note, kButtonOK, kKindInformation);
        ShellOpen(folder);
    });
}

} // namespace hestavo
