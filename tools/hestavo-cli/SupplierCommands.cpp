// The supplier reports: annexes 16 and 15 per supplier, the E-ON Gaz Targu
// Mures layout and the CEZ layout, written by the same functions as the menu's
// "Raport Furnizori" items into a folder that is new or empty.
#include "tools/hestavo-cli/CliCommand.h"

#include "register/AdminSettings.h"
#include "reports/ExportError.h"
#include "reports/ExportText.h"
#include "reports/SupplierReports.h"

#include <QDir>

using namespace cli;
using namespace hestavo;

namespace {

const QString kUsage = QStringLiteral("ajpis|eon|cez [--supplier NUME ...] [--siruta COD] --out DIR");

struct SupplierOptions {
    QString kind;
    QStringList suppliers;
    QString siruta;
    QString out;
};

SupplierOptions ParseOptions(const QStringList& words)
{
    SupplierOptions o;
    for (int i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        const bool hasValue = i + 1 < words.size();
        if (w == QLatin1String("--supplier") && hasValue)
            o.suppliers << words[++i];
        else if (w == QLatin1String("--siruta") && hasValue)
            o.siruta = words[++i];
        else if (w == QLatin1String("--out") && hasValue)
            o.out = words[++i];
        else if (o.kind.isEmpty() && !w.startsWith(QLatin1String("--")))
            o.kind = w;
        else
            throw CliFailure("Utilizare: suppliers " + kUsage);
    }
    if (o.out.isEmpty() || !QStringList{"ajpis", "eon", "cez"}.contains(o.kind))
        throw CliFailure("Utilizare: suppliers " + kUsage);
    return o;
}

// The one supplier name an E-ON or CEZ report needs, among those its dialog offers.
QString OfferedSupplier(const SupplierOptions& o, const QList<SupplierNameSource>& sources)
{
    if (o.suppliers.size() != 1)
        throw CliFailure("Raportul " + o.kind + " cere un singur --supplier NUME");
    const QString name = o.suppliers.first().trimmed();
    const QStringList offered = SupplierNames(sources);
    if (!offered.contains(name))
        throw CliFailure("Furnizorul " + name + " nu are suplimente in luna de lucru. Denumiri: " + offered.join(", "));
    return name;
}

QList<SupplierReportFile> RunEon(const QString& month, const SupplierOptions& o)
{
    const QString supplier = OfferedSupplier(o, EonSupplierSources(month));
    const QList<PostalCode> codes = PostalCodes(month);
    for (const auto& [locality, code] : codes)
        if (code.isEmpty())
            throw CliFailure("Nu ati scris Codul postal pentru localitatea " + locality
                             + "! (sectiunea CODURIP a setarilor)");
    return WriteEonReport(month, supplier, codes, EmptyOutputFolder(o.out));
}

QList<SupplierReportFile> RunCez(const QString& month, const SupplierOptions& o)
{
    const QString supplier = OfferedSupplier(o, CezSupplierSources(month));
    const QString siruta = o.siruta.isEmpty() ? StoredSiruta() : o.siruta.trimmed();
    if (const QString problem = SirutaProblem(siruta); !problem.isEmpty())
        throw CliFailure(problem);
    StoreSiruta(siruta);
    return WriteCezReport(month, supplier, siruta, EmptyOutputFolder(o.out));
}

void RunSuppliers(CliContext& context, const QStringList& words)
{
    const SupplierOptions o = ParseOptions(words);
    const QString month = context.workingMonth();
    if (const std::optional<QString> problem = SettingsProblem(month, LoadAdminSettings()))
        throw CliFailure(problem->trimmed());
    QList<SupplierReportFile> files;
    try {
        if (o.kind == QLatin1String("ajpis"))
            files = WriteSupplierAnnexes(month, EmptyOutputFolder(o.out), o.suppliers);
        else if (o.kind == QLatin1String("eon"))
            files = RunEon(month, o);
        else
            files = RunCez(month, o);
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
    const QDir out(o.out);
    for (const SupplierReportFile& f : files)
        PrintLine("fisier: " + out.relativeFilePath(f.path) + "; randuri: " + QString::number(f.rows)
                  + "; total: " + GeneralNumber(f.total));
    if (files.isEmpty())
        PrintLine(QStringLiteral("niciun fisier: nu exista suplimente pentru acesti furnizori"));
}

const CliRegistration suppliers{{"suppliers", kUsage, "rapoartele pentru furnizori (Raport Furnizori)", RunSuppliers}};

} // namespace
