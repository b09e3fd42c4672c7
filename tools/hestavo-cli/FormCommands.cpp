// Commands of an application's documents: the full and short application
// forms and the social inquiry kept in the data folder (filled the first time,
// afterwards only reported), and the field verification sheet.
#include "tools/hestavo-cli/CliCommand.h"

#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"
#include "register/ApplicationForms.h"
#include "register/DocumentRefusal.h"
#include "register/SocialInquiry.h"
#include "register/VerificationSheet.h"

#include <QDate>
#include <QFile>
#include <QHash>

using namespace cli;
using namespace hestavo;

namespace {

// "--name value" pairs, each name one of `known`.
QHash<QString, QString> Options(const QStringList& arguments, const QStringList& known)
{
    QHash<QString, QString> values;
    for (int i = 0; i < arguments.size(); i += 2) {
        if (!known.contains(arguments[i]))
            throw CliFailure("Argument necunoscut: " + arguments[i]);
        if (i + 1 >= arguments.size())
            throw CliFailure("Lipseste valoarea optiunii " + arguments[i]);
        values.insert(arguments[i], arguments[i + 1]);
    }
    return values;
}

qint64 ApplicationOption(const QHash<QString, QString>& options)
{
    bool ok = false;
    const qint64 key = options.value(QStringLiteral("--application")).toLongLong(&ok);
    if (!ok || key <= 0)
        throw CliFailure(QStringLiteral("Dati cererea: --application NRCRT"));
    return key;
}

QDate DateOption(const QHash<QString, QString>& options, const QString& name, const QDate& otherwise)
{
    if (!options.contains(name))
        return otherwise;
    const QDate d = QDate::fromString(options.value(name), QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        throw CliFailure("Data incorecta: " + options.value(name) + " (zz.LL.AAAA)");
    return d;
}

// Runs a document command, a refusal becoming the command's failure.
template <typename Command>
void Refusing(Command command)
{
    try {
        command();
    } catch (const DocumentRefusal& refusal) {
        throw CliFailure(refusal.text().trimmed().replace('\r', ' '));
    }
}

// Fills (or finds) the form, prints what happened, and copies it to --out when given.
void RunForm(FormKind kind, const QStringList& arguments)
{
    const auto options = Options(arguments, {"--application", "--out"});
    const qint64 application = ApplicationOption(options);
    MaterializeTemplates();  // as the program's start-up does
    Refusing([&] {
        const FormOutcome outcome = PrepareForm(kind, application, LoadAdminSettings(), QDate::currentDate());
        for (const QString& warning : outcome.warnings)
            PrintLine("atentie: " + QString(warning).replace('\r', ' '));
        PrintLine("fisier: " + outcome.path);
        PrintLine(outcome.written ? QStringLiteral("completat: da") : QStringLiteral("completat: nu (exista deja)"));
        const QString out = options.value(QStringLiteral("--out"));
        if (out.isEmpty())
            return;
        if (TemplateIsOpen(out))
            throw CliFailure("Fisierul " + out + " este deschis in alt program!");
        QFile::remove(out);
        if (!QFile::copy(outcome.path, out))
            throw CliFailure("Nu pot scrie " + out);
    });
}

void RunFormCommand(CliContext&, const QStringList& arguments)
{
    const QString which = arguments.value(0);
    if (which != "full" && which != "short")
        throw CliFailure(QStringLiteral("Alegeti full (Anexa 26) sau short (Anexa 2 - Forma prescurtata)."));
    RunForm(which == "full" ? FormKind::Full : FormKind::Short, arguments.mid(1));
}

void RunInquiry(CliContext&, const QStringList& arguments)
{
    const QString which = arguments.value(0);
    if (which == "add")
        return RunForm(FormKind::Inquiry, arguments.mid(1));
    const qint64 application = ApplicationOption(Options(arguments.mid(1), {"--application"}));
    if (which == "show")
        return Refusing([&] { PrintLine("fisier: " + ExistingInquiry(application)); });
    if (which == "delete")
        return Refusing([&] {
            DeleteInquiry(application);
            PrintLine(QStringLiteral("Ancheta a fost stearsa."));
        });
    throw CliFailure(QStringLiteral("Alegeti add, show sau delete."));
}

void RunSheet(CliContext&, const QStringList& arguments)
{
    const auto options = Options(arguments, {"--application", "--from", "--to", "--out"});
    VerificationSheetInput input;
    input.application = ApplicationOption(options);
    const QString out = options.value(QStringLiteral("--out"));
    if (out.isEmpty())
        throw CliFailure(QStringLiteral("Dati fisierul de iesire: --out FISIER.rtf"));
    MaterializeTemplates();
    Refusing([&] {
        const QDate today = QDate::currentDate();
        const QDate applied = ApplicationDate(input.application);
        input.from = DateOption(options, QStringLiteral("--from"), applied.isValid() ? applied : today);
        input.to = DateOption(options, QStringLiteral("--to"), today);
        if (input.to < input.from)
            throw CliFailure(QStringLiteral("Interval incorect!"));
        WriteVerificationSheet(input, LoadAdminSettings(), today, out);
        PrintLine("perioada: " + VerificationPeriod(input.from, input.to));
    });
}

const CliRegistration form{{"form", "full|short --application NRCRT [--out FISIER.rtf]",
                            "formularul de cerere (completat o singura data, in dosarul de date)", RunFormCommand, 3, 5}};
const CliRegistration inquiry{{"inquiry", "add|show|delete --application NRCRT [--out FISIER.rtf]",
                               "ancheta sociala a unei cereri", RunInquiry, 3, 5}};
const CliRegistration sheet{{"sheet", "--application NRCRT [--from zz.LL.AAAA] [--to zz.LL.AAAA] --out FISIER.rtf",
                             "fisa de verificare in teren", RunSheet, 4, 8}};

} // namespace
