#include "ui/reports/ExportMenuCommands.h"

#include "data/Settings.h"
#include "data/Shell.h"
#include "register/AdminSettings.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "reports/AnpisExport.h"
#include "reports/ControlLists.h"
#include "reports/ExportError.h"
#include "reports/F2201Export.h"
#include "reports/PersonsDbfExport.h"
#include "ui/common/Choosers.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/SettingsCheck.h"
#include "ui/documents/ReportMonthPicker.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

namespace hestavo {

namespace {

// Shows the progress window with a text and a maximum, hidden again on
// every way out.
class ProgressShown {
public:
    ProgressShown(const QString& text, int maximum)
    {
        Contor().Descr->setText(text);
        Contor().Bar->setMaximum(maximum);
        ShowProgress();
    }
    ~ProgressShown() { HideProgress(); }
};

void ShowRefusal(const ExportError& e)
{
    MessageDialog::Mesaj(e.heading(), e.message(), kButtonOK, kKindError);
}

QString CleanedNote(int cleaned)
{
    if (cleaned == 0)
        return QString();
    return "\nAm eliminat caractere nepermise din " + QString::number(cleaned) + " valori.";
}

// Runs a list under the progress window and opens its workbook; a refusal
// is shown in its dialog.
void ShowList(const std::function<QString()>& list)
{
    RunCommand([&] {
        QString file;
        try {
            ProgressShown progress(QStringLiteral("Pregatesc lista..."), 0);
            file = list();
        } catch (const ExportError& e) {
            return ShowRefusal(e);
        }
        ShellOpen(file);
    });
}

// "Au fost create 3 fisiere XML in <folder>." (or the one file's path).
QString F2201Written(const F2201Outcome& outcome, const QString& folder)
{
    if (outcome.files.size() == 1)
        return "\nA fost creat fisierul XML " + QDir::toNativeSeparators(outcome.files.first()) + ".";
    return "\nAu fost create " + formatCount(outcome.files.size()) + " fisiere XML in " + QDir::toNativeSeparators(folder)
        + ".";
}

} // namespace

void ExportAnpisCommand(QWidget* parent)
{
    if (!SettingsComplete())
        return;
    const QString folder = ChooseFolder(parent, QStringLiteral("Alegeti directorul unde punem XML-ul"), QString());
    if (folder.isEmpty())
        return;
    const QString name = AnpisFileName();
    if (QFileInfo::exists(QDir(folder).filePath(name))
        && MessageDialog::Mesaj("Extragere date ANPIS-XML", "\n Fisierul " + name + " exista!\nDoriti sa-l inlocuim?",
                                kOverrideQuestion, kKindWarning)
               != Answer::Yes)
        return;
    RunCommand([&] {
        AnpisOutcome outcome;
        try {
            ProgressShown progress(QStringLiteral("Generez XML-ul..."), 0);
            outcome = WriteAnpisXml(WorkingMonthText(), folder);
        } catch (const ExportError& e) {
            return ShowRefusal(e);
        }
        MessageDialog::Mesaj("Export Date ANPIS",
                             "\nXML-ul a fost creat: " + QDir::toNativeSeparators(QDir(folder).filePath(name))
                                 + "\nTrimiteti-l la ANPIS!" + CleanedNote(outcome.cleanedValues),
                             kButtonOK, kKindInformation);
    });
}

void ExportF2201Command(QWidget* parent)
{
    if (!SettingsComplete())
        return;
    RunCommand([&] {
        const QList<F2201Person> persons = F2201Persons(WorkingMonthText());
        if (persons.isEmpty()) {
            MessageDialog::Mesaj("F 2201", "\nNu aveti nicio persoana pe luna curenta!", kButtonOK, kKindError);
            return;
        }
        const QString folder = ChooseFolder(parent, QStringLiteral("Alegeti directorul unde punem Raportul"), QString());
        if (folder.isEmpty())
            return;
        F2201Outcome outcome;
        try {
            ProgressShown progress(QStringLiteral("Generez XML-ul..."), int(persons.size() / 10));
            outcome = WriteF2201Files(persons, folder, QDateTime::currentDateTime());
        } catch (const ExportError& e) {
            return ShowRefusal(e);
        }
        MessageDialog::Mesaj("ANAF F2201",
                             F2201Written(outcome, folder) + "\nIncarcati-le in DuckIntegrator!"
                                 + CleanedNote(outcome.cleanedValues),
                             kButtonOK, kKindInformation);
    });
}

void PersonsAgeListCommand()
{
    ShowList([] { return PersonsAgeList(WorkingMonthText()); });
}

void MembersSituationCommand()
{
    ShowList([] { return MembersSituationList(WorkingMonthText()); });
}

void RiskControlCommand()
{
    if (LoadAdminSettings().judet.trimmed().isEmpty()) {
        MessageDialog::Mesaj("Verificare date", "\nNu ati ales la Administrare Judetul!", kButtonOK, kKindError);
        return;
    }
    if (!PickReportMonth(true, false))
        return;
    ShowList([] { return RiskControlList(WorkingMonthText(), SelLuna().SeasonMonthNumber(), SelLuna().YearText()); });
}

void ExportPersonsDbfCommand(QWidget* parent)
{
    QString path = ChooseSaveFile(parent, QStringLiteral("Unde salvam DBF-ul?"), QStringLiteral("Fisier DBF (*.dbf)"),
                                  QString());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dbf");
    RunCommand([&] {
        try {
            ProgressShown progress(QStringLiteral("Scriu DBF-ul..."), 0);
            ExportPersonsDbf(WorkingMonthText(), path);
        } catch (const ExportError& e) {
            return ShowRefusal(e);
        }
        MessageDialog::Mesaj("Creare DBF Persoane", "\nFisierul " + QDir::toNativeSeparators(path) + " a fost creat!",
                             kButtonOK, kKindInformation);
    });
}

} // namespace hestavo
