#include "ui/reports/AjpisReportCommand.h"

#include "data/Months.h"
#include "data/Shell.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "reports/AjpisReport.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressSink.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/SettingsCheck.h"
#include "ui/reports/OutputFolder.h"
#include "ui/reports/PeriodDialog.h"

#include <QDir>
#include <QLabel>
#include <QApplication>

#include <exception>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Raport AJPIS");

// The progress window from the first annex to the last; hidden again (and
// the main window enabled) on every way out, an error included.
class WindowProgress : public AjpisProgress {
public:
    WindowProgress() : m_sink(QStringLiteral("Fac Anexele 13 si 21...")) { m_sink.begin(10); }
    void stage(const QString& text, bool step) override
    {
        Contor().Descr->setText(text);
        if (step)
            m_sink.step();
    }

private:
    ProgressSink m_sink;
};

int Serial(const QDate& date)
{
    return date.year() * 12 + date.month() - 1;
}

QString ClosingText(const AjpisOutcome& outcome, const QString& folder)
{
    QString text = "\nRaportul AJPIS s-a incheiat cu succes!\nAm scris " + QString::number(outcome.files.size())
                   + " fisiere in " + QDir::toNativeSeparators(folder) + ".";
    if (!outcome.writtenEmpty.isEmpty())
        text += "\nFara date (scrise goale): " + outcome.writtenEmpty.join(", ") + ".";
    if (!outcome.withoutData.isEmpty())
        text += "\nFara date (nu au fost scrise): " + outcome.withoutData.join(", ") + ".";
    return text;
}

} // namespace

void AjpisReportCommand(QWidget* parent)
{
    if (!SettingsComplete())
        return;
    const AdminSettings settings = AdminValues();
    if (settings.judet.trimmed() == "BACAU"
        && MessageDialog::Mesaj(kHeading,
                                "\nPentru judetul Bacau, folositi Raportul AJPIS - BACAU!\nDoriti sa continuati totusi?",
                                kOverrideQuestion, kKindWarning)
               != Answer::Yes)
        return;
    QDate from, to;
    if (!ChoosePeriod(parent, &from, &to))
        return;
    const QString folder =
        ChooseOutputFolder(parent, QStringLiteral("Alegeti directorul unde punem Raportul"), kAjpisFolder, kHeading);
    if (folder.isEmpty())
        return;
    const AjpisRequest request{WorkingMonthText(), Serial(from), Serial(to), folder};
    // The dialogs just closed; the window system may not have given the
    // activation back yet, and the progress window disables the active one.
    if (parent && parent->window()->isVisible())
        QApplication::setActiveWindow(parent->window());
    AjpisOutcome outcome;
    try {
        WindowProgress progress;
        outcome = WriteAjpisReport(request, settings, &progress);
    } catch (const std::exception& e) {
        MessageDialog::Mesaj(kHeading,
                             "\nRaportul AJPIS nu a fost terminat:\n" + QString::fromUtf8(e.what()).trimmed()
                                 + "\nFisierele terminate inainte de eroare au ramas in "
                                 + QDir::toNativeSeparators(folder) + ".",
                             kButtonOK, kKindError);
        return;
    }
    MessageDialog::Mesaj(kHeading, ClosingText(outcome, folder), kButtonOK, kKindInformation);
    ShellOpen(folder);
}

} // namespace hestavo
