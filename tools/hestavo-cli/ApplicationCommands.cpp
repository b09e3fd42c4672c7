// Adding one application from the command line, written by the same routine
// as the register's editor (AddApplication: the row, its members and the log
// row in one transaction, the key from the shared counter). Several
// workstations on one network folder may run it at the same time.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "register/ApplicationChecks.h"
#include "register/ApplicationRecord.h"
#include "register/ApplicationStore.h"

#include <QDate>
#include <QMap>

#include <algorithm>

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
// supplements: approved, dated today, its aid from the working month.
ApplicationRecord RecordFrom(const QMap<QString, QString>& options, int month)
{
    ApplicationRecord r;
    r.applicant = CleanText(options.value("NUME"));
    r.cnp = options.value("CNP").trimmed();
    r.locality = CleanText(options.value("LOCALITATE"));
    r.address = CleanText(options.value("ADRESA"));
    r.members = options.value("MEMBRI").toInt();
    r.totalIncome = parseFixed(options.value("VENIT", QStringLiteral("0")));
    r.averageIncome = AverageIncome(r.totalIncome, r.members);
    r.status = QStringLiteral("APROBAT");
    r.date = QDate::currentDate();
    r.firstAidMonth = month;
    return r;
}

// The editor's acceptance checks; a question the editor would ask is a
// refusal here, as there is no one to answer it.
void Accept(const ApplicationRecord& record, int month)
{
    const std::vector<ApplicationProblem> problems = CheckApplication(record, month, -1);
    if (problems.empty())
        return;
    const ApplicationProblem& p = problems.front();
    QString text = QString(p.text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified();
    if (p.field == ApplicationField::Cnp && !record.cnp.isEmpty())
        text += " (" + record.cnp + ")";
    throw CliFailure(text);
}

void RunAdd(CliContext& context, const QStringList& arguments)
{
    const int month = MonthToSerial(context.workingMonth());
    ApplicationRecord record = RecordFrom(Options(arguments), month);
    // Checked with the number the counter will give, so that a refusal leaves
    // the counter alone; taken from it in one locked step, so that two
    // workstations never give the same number, and checked again if another
    // took that number meanwhile.
    const qint64 next = std::max<qint64>(PeekKey(QStringLiteral("NR_CERE")), 1);
    record.number = next;
    Accept(record, month);
    record.number = NextKey(QStringLiteral("NR_CERE"));
    if (record.number != next)
        Accept(record, month);
    const QString members = FreshTempFile(QStringLiteral("FOm"), QStringLiteral(".dbf"));
    if (members.isEmpty())
        throw CliFailure(QStringLiteral("Nu se poate crea tabelul temporar al membrilor FOm.dbf"));
    CreateMembersTable(members);
    PrintLine("NRCRT " + QString::number(AddApplication(record, members, month)));
}

const CliRegistration add{{"application add", "NUME=... CNP=... LOCALITATE=... [ADRESA=...] MEMBRI=N [VENIT=...]",
                           "adauga o cerere in luna de lucru; tipareste NRCRT-ul ei", RunAdd, 1, -1}};

} // namespace
