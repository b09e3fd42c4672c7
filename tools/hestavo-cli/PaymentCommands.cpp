// Commands of the payment outputs: the payment list ("Stat de plata") and the
// treasury report, with the choices of their dialogs as options.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "documents/OutputError.h"
#include "documents/PaymentList.h"
#include "documents/TemplateStore.h"
#include "documents/TreasuryReport.h"
#include "register/AdminSettings.h"
#include "register/AdminValues.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QMap>

using namespace cli;

namespace {

// Options as name -> value; every option takes one value.
QMap<QString, QString> Options(const QString& command, const QStringList& arguments, const QStringList& known)
{
    QMap<QString, QString> out;
    for (int i = 0; i < arguments.size(); i += 2) {
        const QString name = arguments[i];
        if (!known.contains(name) || i + 1 >= arguments.size())
            throw CliFailure(command + ": optiune necunoscuta sau fara valoare: " + name);
        out.insert(name, arguments[i + 1]);
    }
    return out;
}

// The month serial, after the check the windows run first.
int CheckedMonth(const CliContext& context)
{
    const QString month = context.workingMonth();
    if (auto problem = hestavo::SettingsProblem(month, hestavo::LoadAdminSettings()))
        throw CliFailure(problem->trimmed().replace(u'\r', u'\n'));
    return MonthToSerial(month);
}

QChar Letter(const QString& text, QChar fallback)
{
    if (text.isEmpty())
        return fallback;
    if (!SelectionLetters().contains(text))
        throw CliFailure("Litera incorecta: " + text + " (" + SelectionLetters().join(u' ') + ")");
    return text.at(0);
}

PaymentSelection Selection(const QMap<QString, QString>& options)
{
    return {options.value("--locality"), Letter(options.value("--from"), u'A'), Letter(options.value("--to"), u'Z')};
}

void RunPaymentList(CliContext& context, const QStringList& arguments)
{
    const auto options = Options("payment-list", arguments, {"--out", "--locality", "--from", "--to", "--period"});
    const QString out = options.value("--out");
    if (out.isEmpty())
        throw CliFailure(QStringLiteral("payment-list: lipseste --out FISIER.xls"));
    const int month = CheckedMonth(context);
    MaterializeTemplates();  // as the program's start-up does
    const QString period = options.contains("--period") ? options.value("--period")
                                                        : ReadSetting(QStringLiteral("CONST"), QStringLiteral("PERSTAT"));
    try {
        const PaymentListResult result = MakePaymentList(month, {Selection(options), period});
        QFile::remove(out);
        QString error;
        if (!MoveFileByCopy(result.file, out, &error))
            throw CliFailure("Nu pot scrie " + out + ": " + error);
        PrintLine("fisier: " + out);
        const char* names[] = {"Cumulat", "Ajutoare", "Suplim.Lemne"};
        for (int i = 0; i < 3; ++i)
            PrintLine(QString::fromLatin1(names[i]) + ": " + QString::number(result.sheets[i].rows) + " cereri, TOTAL "
                      + CentsText(result.sheets[i].totalCents) + ", SUMAL " + CentsText(result.sheets[i].supplementCents));
    } catch (const OutputError& e) {
        throw CliFailure(e.message().trimmed().replace(u'\r', u'\n'));
    }
}

void RunTreasury(CliContext& context, const QStringList& arguments)
{
    const auto options = Options("treasury", arguments, {"--date", "--account", "--out", "--locality", "--from", "--to"});
    const QDate date = QDate::fromString(options.value("--date"), QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        throw CliFailure("Data incorecta: " + options.value("--date") + " (zz.LL.AAAA)");
    const QString account = options.value("--account", QStringLiteral("both"));
    if (account != "073" && account != "074" && account != "both")
        throw CliFailure("Cont incorect: " + account + " (073, 074 sau both)");
    const QString out = options.value("--out");
    if (out.isEmpty() || !QFileInfo(out).isDir())
        throw CliFailure("treasury: --out trebuie sa fie un director existent (" + out + ")");
    const int month = CheckedMonth(context);
    const TreasuryChoice choice{date, account != "074", account != "073", Selection(options)};
    try {
        context.progress(QStringLiteral("Creez DBF-ul..."));
        const TreasuryResult result = MakeTreasuryReport(month, choice, out);
        for (const TreasuryFile& f : result.files)
            PrintLine(f.path + ": " + QString::number(f.records) + " inregistrari, total " + CentsText(f.cents));
    } catch (const OutputError& e) {
        throw CliFailure(e.message().trimmed().replace(u'\r', u'\n'));
    }
}

const CliRegistration paymentList{{"payment-list", "--out FISIER.xls [--locality L] [--from A] [--to Z] [--period TEXT]",
                                   "statul de plata al lunii de lucru", RunPaymentList}};
const CliRegistration treasury{{"treasury", "--date zz.LL.AAAA [--account 073|074|both] --out DIR [--locality L] [--from A] [--to Z]",
                                "raportul pentru trezorerie in DIR/Lemne_Trezorerie", RunTreasury}};

} // namespace
