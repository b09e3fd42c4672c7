// Commands of the national exports and the control lists: the ANPIS data file,
// the F2201 request files, the three list workbooks, the persons dBase file
// and the annex adder. Each runs the same function as its window.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Files.h"
#include "register/AdminSettings.h"
#include "reports/AnnexAdder.h"
#include "reports/AnpisExport.h"
#include "reports/ControlLists.h"
#include "reports/ExportError.h"
#include "reports/F2201Export.h"
#include "reports/PersonsDbfExport.h"

#include <QDateTime>
#include <QDir>

using namespace cli;
using namespace hestavo;

namespace {

// The value of "--out" among the arguments (removed from them); CliFailure
// when it is missing.
QString TakeOut(QStringList& arguments, const QString& usage)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--out"));
    if (at < 0 || at + 1 >= arguments.size())
        throw CliFailure("Lipseste --out (" + usage + ")");
    const QString out = arguments.at(at + 1);
    arguments.remove(at, 2);
    return out;
}

// The working month, refused as the windows refuse it when the town hall's
// data are incomplete.
QString CompleteMonth(const CliContext& context)
{
    const QString month = context.workingMonth();
    if (const std::optional<QString> problem = SettingsProblem(month, LoadAdminSettings()))
        throw CliFailure(problem->trimmed());
    return month;
}

QString ExistingFolder(const QString& folder)
{
    if (!QDir(folder).exists())
        throw CliFailure("Directorul " + folder + " nu exista!");
    return folder;
}

void RunAnpis(CliContext& context, const QStringList& words)
{
    QStringList arguments = words;
    const QString folder = ExistingFolder(TakeOut(arguments, QStringLiteral("--out DIR")));
    const QString month = CompleteMonth(context);
    try {
        const AnpisOutcome outcome = WriteAnpisXml(month, folder);
        PrintLine("fisier: " + outcome.file);
        PrintLine("cereri: " + QString::number(outcome.applications));
        PrintLine("persoane: " + QString::number(outcome.persons));
        PrintLine("valori curatate: " + QString::number(outcome.cleanedValues));
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
}

void RunF2201(CliContext& context, const QStringList& words)
{
    QStringList arguments = words;
    const QString folder = ExistingFolder(TakeOut(arguments, QStringLiteral("--out DIR")));
    const QList<F2201Person> persons = F2201Persons(CompleteMonth(context));
    if (persons.isEmpty())
        throw CliFailure(QStringLiteral("Nu aveti nicio persoana pe luna curenta!"));
    try {
        const F2201Outcome outcome = WriteF2201Files(persons, folder, QDateTime::currentDateTime());
        for (const QString& file : outcome.files)
            PrintLine("fisier: " + file);
        PrintLine("persoane: " + QString::number(outcome.persons));
        PrintLine("adulti: " + QString::number(outcome.adults));
        PrintLine("fisiere: " + QString::number(outcome.files.size()));
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
}

// The value of an option among the arguments (removed from them), or fallback.
QString TakeOption(QStringList& arguments, const QString& option, const QString& fallback)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    const QString value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return value;
}

void RunList(CliContext& context, const QStringList& words)
{
    const QString usage = QStringLiteral("persons|members|control [--season LL] [--year AAAA] --out FILE.xls");
    QStringList arguments = words;
    const QString out = TakeOut(arguments, usage);
    const QString month = context.workingMonth();
    const QString season = TakeOption(arguments, QStringLiteral("--season"), month.left(2));
    const QString year = TakeOption(arguments, QStringLiteral("--year"), month.mid(3));
    if (arguments.size() != 1)
        throw CliFailure("Utilizare: list " + usage);
    const QString kind = arguments.first();
    QString workbook;
    try {
        if (kind == QLatin1String("persons"))
            workbook = PersonsAgeList(month);
        else if (kind == QLatin1String("members"))
            workbook = MembersSituationList(month);
        else if (kind == QLatin1String("control"))
            workbook = RiskControlList(month, season, year);
        else
            throw CliFailure("Lista necunoscuta: " + kind + " (" + usage + ")");
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
    QString error;
    if (!MoveFileByCopy(workbook, out, &error))
        throw CliFailure("Fisierul " + out + " nu poate fi scris! " + error);
    PrintLine("fisier: " + out);
}

void RunPersonsDbf(CliContext& context, const QStringList& words)
{
    QStringList arguments = words;
    const QString out = TakeOut(arguments, QStringLiteral("--out FILE.dbf"));
    try {
        const int rows = ExportPersonsDbf(context.workingMonth(), out);
        PrintLine("fisier: " + out);
        PrintLine("persoane: " + QString::number(rows));
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
}

void RunAddAnnexes(CliContext&, const QStringList& words)
{
    const QString usage = QStringLiteral("15|16|23|24 [--duplicates] --out FILE.xls INPUT...");
    QStringList arguments = words;
    const QString out = TakeOut(arguments, usage);
    const bool duplicates = arguments.removeAll(QStringLiteral("--duplicates")) > 0;
    const int kind = arguments.value(0).toInt();
    if (kind != 15 && kind != 16 && kind != 23 && kind != 24)
        throw CliFailure("Utilizare: add-annexes " + usage);
    const QStringList inputs = arguments.mid(1);
    try {
        for (qsizetype i = 0; i < inputs.size(); ++i)
            CheckAnnexToAdd(kind, inputs[i], inputs.mid(0, i));
        const QString combined = AddAnnexes(kind, inputs, duplicates);
        QString error;
        if (!MoveFileByCopy(combined, out, &error))
            throw CliFailure("Fisierul " + out + " nu poate fi scris! " + error);
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
    PrintLine("fisier: " + out);
    PrintLine("anexe adunate: " + QString::number(inputs.size()));
}

const CliRegistration anpis{{"anpis", "--out DIR", "scrie fisierul XML pentru ANPIS al lunii de lucru", RunAnpis}};
const CliRegistration f2201{{"f2201", "--out DIR", "scrie fisierele XML F2201 pentru ANAF (adultii lunii de lucru)",
                             RunF2201}};

const CliRegistration list{{"list", "persons|members|control [--season LL] [--year AAAA] --out FILE.xls",
                            "lista persoanelor, situatia membrilor sau controlul pe profil de risc", RunList}};
const CliRegistration personsDbf{{"persons-dbf", "--out FILE.dbf", "fisierul DBF al persoanelor lunii de lucru",
                                  RunPersonsDbf}};

const CliRegistration addAnnexes{{"add-annexes", "15|16|23|24 [--duplicates] --out FILE.xls INPUT...",
                                  "aduna mai multe Anexe de acelasi fel intr-una singura", RunAddAnnexes}};

} // namespace
