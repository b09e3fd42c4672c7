#include "ui/reports/SupplierReportCommands.h"

#include "data/Shell.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "reports/ExportError.h"
#include "reports/SupplierReports.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/SettingsCheck.h"
#include "ui/reports/OutputFolder.h"
#include "ui/reports/SupplierChoiceDialog.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <functional>

namespace hestavo {

namespace {

// The progress window for one run: shown by each begin, hidden on every way
// out (an engine error included), which enables the main window again.
class ReportProgressWindow {
public:
    ReportProgressWindow()
    {
        m_progress.begin = [](const QString& text, int maximum) {
            Contor().Descr->setText(text);
            Contor().Bar->setMaximum(maximum > 0 ? maximum : 1);
            ShowProgress();
        };
        m_progress.step = [] { StepProgress(); };
    }
    ~ReportProgressWindow() { HideProgress(); }
    const SupplierProgress& progress() const { return m_progress; }

private:
    SupplierProgress m_progress;
};

// What a report command shows: the folder chooser's prompt, the subfolder it
// prepares, the heading of its questions and the heading of the closing message.
struct ReportTexts {
    QString prompt;
    QString subfolder;
    QString heading;
    QString closingHeading;
};

// Runs the report into the folder the user prepares; on success says so and
// opens the folder. A refusal is shown with its own heading, any other
// failure in the error dialog, after the progress window is gone.
void RunReport(QWidget* parent, const ReportTexts& texts,
               const std::function<QString(const QString&, const SupplierProgress&)>& report)
{
    RunCommand([&] {
        const QString folder = ChooseOutputFolder(parent, texts.prompt, texts.subfolder, texts.heading);
        if (folder.isEmpty())
            return;
        QString note;
        try {
            ReportProgressWindow window;
            note = report(folder, window.progress());
        } catch (const ExportError& e) {
            MessageDialog::Mesaj(e.heading(), e.message(), kButtonOK, kKindError);
            return;
        }
        MessageDialog::Mesaj(texts.closingHeading, "\nRaportul a fost creat!" + note, kButtonOK, kKindInformation);
        ShellOpen(folder);
    });
}

// The closing note of the annexes: the kinds of supplement without any row.
QString MissingSupplies(const QList<SupplierReportFile>& files)
{
    const auto has = [&files](const QString& name) {
        return std::any_of(files.cbegin(), files.cend(), [&name](const SupplierReportFile& f) { return f.path.endsWith(name); });
    };
    QString note;
    if (!has(QStringLiteral("/Anexa16.xls")))
        note += QStringLiteral("\nNu exista suplimente pentru energie electrica (fara Anexa 16).");
    if (!has(QStringLiteral("/Anexa15.xls")))
        note += QStringLiteral("\nNu exista suplimente pentru gaze naturale (fara Anexa 15).");
    return note;
}

struct SupplierChoice {
    QString supplier;  // empty when cancelled
    QString siruta;
    QList<PostalCode> postalCodes;
};

// The choice dialog, modal; a failure reading its data is shown as an error.
SupplierChoice ChooseSupplier(SupplierChoiceDialog::Variant variant, const QString& month, QWidget* parent)
{
    SupplierChoice choice;
    RunCommand([&] {
        SupplierChoiceDialog dialog(variant, month, parent);
        if (dialog.Open())
            choice = {dialog.supplier(), dialog.siruta(), dialog.postalCodes()};
    });
    return choice;
}

// The settings check, the choice dialog, then the report written for the choice.
void ChosenSupplierReport(QWidget* parent, SupplierChoiceDialog::Variant variant, const ReportTexts& texts,
                          const std::function<void(const QString& month, const SupplierChoice& choice,
                                                   const QString& folder, const SupplierProgress& progress)>& write)
{
    if (!SettingsComplete())
        return;
    const QString month = WorkingMonthText();
    const SupplierChoice choice = ChooseSupplier(variant, month, parent);
    if (choice.supplier.isEmpty())
        return;
    RunReport(parent, texts, [&](const QString& folder, const SupplierProgress& progress) {
        write(month, choice, folder, progress);
        return QString();
    });
}

} // namespace

void SupplierAnnexesCommand(QWidget* parent)
{
    if (!SettingsComplete())
        return;
    const QString month = WorkingMonthText();
    RunReport(parent,
              {QStringLiteral("Alegeti directorul unde punem Raportul"), QStringLiteral("LEMNE_FURNIZORI"),
               QStringLiteral("Raport Furnizori"), QStringLiteral("Raport Furnizori")},
              [&month](const QString& folder, const SupplierProgress& progress) {
                  return MissingSupplies(WriteSupplierAnnexes(month, folder, {}, progress));
              });
}

void EonReportCommand(QWidget* parent)
{
    ChosenSupplierReport(parent, SupplierChoiceDialog::Variant::Eon,
                         {QStringLiteral("Alegeti directorul unde punem Raportul E-On"), QStringLiteral("EON_RAPORT_LEMNE"),
                          QStringLiteral("Raport E-ON"), QStringLiteral("Raport E-On Gaz")},
                         [](const QString& month, const SupplierChoice& choice, const QString& folder,
                            const SupplierProgress& progress) {
                             WriteEonReport(month, choice.supplier, choice.postalCodes, folder, progress);
                         });
}

void CezReportCommand(QWidget* parent)
{
    ChosenSupplierReport(parent, SupplierChoiceDialog::Variant::Cez,
                         {QStringLiteral("Alegeti directorul unde punem Raportul CEZ"),
                          QStringLiteral("CEZ_RAPORT_LEMNE_SE"), QStringLiteral("Raport CEZ"), QStringLiteral("Raport CEZ")},
                         [](const QString& month, const SupplierChoice& choice, const QString& folder,
                            const SupplierProgress& progress) {
                             WriteCezReport(month, choice.supplier, choice.siruta, folder, progress);
                         });
}

} // namespace hestavo
