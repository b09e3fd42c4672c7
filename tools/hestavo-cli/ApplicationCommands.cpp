// Adding one application from the command line, written by the same routine
// as the register's editor (AddApplication: the row, its members and the log
// row in one transaction, the key from the shared counter). Several
// workstations on one network folder may run it at the same time.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "register/ApplicationRecord.h"
#include "register/ApplicationStore.h"
#include "register/Cnp.h"

#include <QDate>
#include <QMap>

using namespace cli;
using namespace hestavo;

namespace {

const QStringList kKeys{"NUME", "CNP", "LOCALITATE", "ADRESA", "MEMBRI", "VENIT"};

// The KEY=VALUE words of the command; an unknown key or a word without "=" is refused.
QMap<QString, QString> Options(const QStringList& words)
{
    QMap<QString, QString> options;
    for (const QString& word : words) {
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString key = word.left(equals).toUpper();
        if (equals < 1 || !kKeys.contains(key))
            throw CliFailure("Optiune necunoscuta: " + word + " (" + kKeys.join(QStringLiteral("=, ")) + "=)");
        options[key] = word.mid(equals + 1);
    }
    return options;
}

// The application as the editor would collect it for a new household without
// supplements; refused with the editor's messages when a field is wrong. A
// CNP the editor would only question is refused here: there is no one to ask.
ApplicationRecord RecordFrom(const QMap<QString, QString>& options, int month)
{
    ApplicationRecord r;
    r.applicant = CleanText(options.value("NUME"));
    r.cnp = options.value("CNP").trimmed();
    r.locality = CleanText(options.value("LOCALITATE"));
    r.address = CleanText(options.value("ADRESA"));
    r.members = options.value("MEMBRI").toInt();
    r.totalIncome = parseFixed(options.value("VENIT", QStringLiteral("0")));
    if (!Cnp::isValid(r.cnp))
        throw CliFailure("CNP incorect! (" + r.cnp + ")");
    if (r.applicant.isEmpty())
        throw CliFailure(QStringLiteral("Lipseste numele si prenumele titularului!"));
    if (r.locality.isEmpty())
        throw CliFailure(QStringLiteral("Lipseste Localitatea titularului!"));
    if (r.members < 1)
        throw CliFailure(QStringLiteral("Numar de membri incorect!"));
    r.averageIncome = AverageIncome(r.totalIncome, r.members);
    r.firstAidMonth = month;
    r.date = QDate::currentDate();
    return r;
}

void RunAdd(CliContext& context, const QStringList& arguments)
{
    const int month = MonthToSerial(context.workingMonth());
    ApplicationRecord record = RecordFrom(Options(arguments), month);
    const QString members = FreshTempFile(QStringLiteral("FOm"), QStringLiteral(".dbf"));
    if (members.isEmpty())
        throw CliFailure(QStringLiteral("Nu se poate crea tabelul temporar al membrilor FOm.dbf"));
    CreateMembersTable(members);
    // The application number from the shared counter in one locked step, so
    // that two workstations never give the same number.
    record.number = NextKey(QStringLiteral("NR_CERE"));
    PrintLine("NRCRT " + QString::number(AddApplication(record, members, month)));
}

const CliRegistration add{{"application add", "NUME=... CNP=... LOCALITATE=... [ADRESA=...] MEMBRI=N [VENIT=...]",
                           "adauga o cerere in luna de lucru; tipareste NRCRT-ul ei", RunAdd, 1, -1}};

} // namespace
