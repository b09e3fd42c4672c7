// hestavo-cli import of households from the minimum-income (VMG) and
// family-allowance (ASF) databases into the working month.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Db.h"
#include "data/Months.h"
#include "register/HouseholdImport.h"

namespace {

void runImport(cli::CliContext& context, const QStringList& arguments)
{
    cli::ExpectArguments({"import", "vmg|asf ARHIVA", "", {}}, arguments, 2, 2);
    const QString kindWord = arguments.at(0).toLower();
    if (kindWord != "vmg" && kindWord != "asf")
        throw cli::CliFailure("Tipul importului este vmg sau asf, nu " + arguments.at(0));
    const auto kind = kindWord == "vmg" ? hestavo::ImportKind::Vmg : hestavo::ImportKind::Asf;
    const long serial = MonthToSerial(context.workingMonth());
    context.progress("Desfac baza de date...");
    resetDb();
    const hestavo::ImportResult r = hestavo::ImportHouseholds(kind, arguments.at(1), serial);
    if (!r.imported)
        throw cli::CliFailure(r.title + ": " + QString(r.error).replace('\r', '\n'));
    cli::PrintLine("cereri importate: " + QString::number(r.applications));
    cli::PrintLine("membri importati: " + QString::number(r.members));
    cli::PrintLine("cereri inlocuite: " + QString::number(r.replacedApplications));
    cli::PrintLine("membri inlocuiti: " + QString::number(r.replacedMembers));
}

const cli::CliRegistration import{
    {"import", "vmg|asf ARHIVA", "preia gospodariile din salvarea bazei VMG (*.416) sau ASF (*.as2)", runImport}};

} // namespace
