#include "documents/TreasuryReport.h"

#include "data/Cp1250.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Settings.h"
#include "documents/OutputError.h"
#include "documents/RtfTemplate.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "engine/storage/PaymentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <vector>

namespace {

const QString kTitle = QStringLiteral("Raport Trezorerie");

QString Setting(const char* key)
{
    return ReadSetting(QStringLiteral("SETARI"), QString::fromLatin1(key));
}

// The town hall's identification as the outputs print it.
struct TownHall {
    QString countyCode = Setting("CODJUD");
    QString county = Setting("JUDET");
    QString fiscalCode = Setting("SIRUES");
    QString name = Setting("PRIMARIA");
    QString kind = Setting("UAT");
    QString mayor = Setting("PRIMAR");
    int localityType = Setting("TIPLOC").trimmed().toInt();
};

QString LocalityTypeText(int type)
{
    static const QStringList types{"COMUNA", "ORASUL", "MUNICIPIUL"};
    return types.value(type, types[0]);
}

std::vector<engine::storage::Payment> SelectPayments(int monthSerial, const TreasuryAccount& account,
                                                     const PaymentSelection& selection, const TownHall& hall,
                                                     const QDate& date)
{
    const QString column = QString::fromLatin1(account.column);
    const QString sql = "SELECT TITULAR AS SUBSEMN,CNP, NR_MEMBRI AS NRPERS, " + column + " AS CUANTUM, L416 FROM "
        + quotedTable("Cereri.dbf") + " WHERE LUNACRT=" + QString::number(monthSerial) + " AND " + kPaidStatuses
        + " AND " + column + ">0" + SelectionConditions(selection) + " ORDER BY SUBSEMN";
    const engine::Date day{date.year(), date.month(), date.day()};
    std::vector<engine::storage::Payment> payments;
    auto rows = Db().open(sql.toStdString());
    for (rows->first(); !rows->eof(); rows->next())
        payments.push_back({hall.countyCode.toStdString(), hall.fiscalCode.toStdString(), rows->text("CNP"),
                            account.code, rows->text("SUBSEMN"), double(rows->integer("NRPERS")),
                            ToCents(rows->number("CUANTUM")) / 100.0, day, day});
    return payments;
}

QString AccountCondition(const TreasuryAccount& account)
{
    return " WHERE CODAJUT=" + QuotedLiteral(QString::fromLatin1(account.code));
}

TreasuryFile WriteAnnex2(const QString& paymentFile, const TreasuryAccount& account, const TownHall& hall,
                         const QDate& date, const QString& target)
{
    const QString model = WriteFixedTemplate(QStringLiteral("TrezAnx2"), QStringLiteral("Anx2"), QStringLiteral(".xls"));
    SpreadsheetOutput output;
    if (model.isEmpty() || !output.OpenWorkbook(model, false))
        throw OutputError(kTitle, QStringLiteral("\rNu pot scrie modelul Anexei 2!"));
    auto rows = Db().open(("SELECT NUMEPREN, NRPERS, CNP, SUMA FROM " + quotedPath(paymentFile) + AccountCondition(account)
                           + " ORDER BY NUMEPREN").toStdString());
    TreasuryFile file{target, rows->recordCount(), 0};
    for (rows->first(); !rows->eof(); rows->next())
        file.cents += ToCents(rows->number("SUMA"));
    using Cell = SpreadsheetOutput::CellValue;
    const QList<std::pair<QString, Cell>> markers = {
        {"#JUDETUL", Cell::fromText("JUDETUL: " + hall.fiscalCode + "  JUDETUL " + hall.county)},
        {"#UAT", Cell::fromText(hall.fiscalCode + "  " + hall.kind + "  " + hall.name.toUpper())},
        {"[SITUATIA]", Cell::fromText(QStringLiteral("SITUATIA ") + account.caption + " " + account.legal)},
        {"[PRIMAR]", Cell::fromText(hall.mayor)},
        {"[NRPERS]", Cell::fromNumber(file.records)},
        {"[DATA]", Cell::fromText("in ziua " + date.toString("dd") + " luna " + date.toString("MM") + " anul "
                                  + date.toString("yyyy"))},
    };
    for (const auto& [marker, value] : markers)
        output.ReplaceMarker(marker, value);
    output.FillRows(*rows);
    output.CloseWorkbook(false);
    QFile::remove(model);
    if (!QFile::rename(output.OutputFile, target) && !MoveFileByCopy(output.OutputFile, target))
        throw OutputError(kTitle, "\rNu pot scrie fisierul " + target + "!");
    return file;
}

TreasuryFile WriteAnnex3(int monthSerial, const QString& paymentFile, const TreasuryAccount& account,
                         const TownHall& hall, const QDate& date, const QString& target)
{
    // Payment method of every CNP of the month: "OP" (bank transfer) or "CEC".
    QHash<QString, QString> methods;
    auto month = Db().open(("SELECT CNP, MODPLATA FROM " + quotedTable("Cereri.dbf") + " WHERE LUNACRT="
                            + QString::number(monthSerial) + " ORDER BY CNP").toStdString());
    for (month->first(); !month->eof(); month->next()) {
        const QString cnp = QString::fromStdString(month->text("CNP"));
        if (!methods.contains(cnp))
            methods.insert(cnp, QString::fromStdString(month->text("MODPLATA")));
    }
    int count[2] = {0, 0};
    qint64 cents[2] = {0, 0};
    auto rows = Db().open(("SELECT CNP, SUMA FROM " + quotedPath(paymentFile) + AccountCondition(account)).toStdString());
    for (rows->first(); !rows->eof(); rows->next()) {
        const int group = methods.value(QString::fromStdString(rows->text("CNP"))) == QLatin1String("OP") ? 1 : 0;
        ++count[group];
        cents[group] += ToCents(rows->number("SUMA"));
    }
    const QString model = WriteFixedTemplate(QStringLiteral("TrezAnx3"), QStringLiteral("Anx3"), QStringLiteral(".rtf"));
    documents::RtfTemplate rtf;
    rtf.setRTFSursa(model);
    rtf.setRTFDest(target);
    if (model.isEmpty() || !rtf.BeginDocument())
        throw OutputError(kTitle, "\rNu pot scrie fisierul " + target + "!");
    const QList<std::pair<QString, QString>> tags = {
        {"[CODJUD]", hall.countyCode},
        {"[DENUMJUD]", hall.county},
        {"[CODUNIT]", hall.fiscalCode},
        {"[DENUMUNIT]", hall.kind + " " + hall.name},
        {"[CODAJUTOR]", QString::fromLatin1(account.code)},
        {"[DENUMIREAJUTOR]", QString::fromLatin1(account.paidName) + " " + account.legal},
        {"[Primar]", hall.mayor},
        {"[NR1]", QString::number(count[0])},
        {"[SUMA1]", CentsText(cents[0])},
        {"[NR2]", QString::number(count[1])},
        {"[SUMA2]", CentsText(cents[1])},
        {"[NR]", QString::number(count[0] + count[1])},
        {"[SUMA]", CentsText(cents[0] + cents[1])},
        {"[DATA]", date.toString("dd.MM.yyyy")},
    };
    for (const auto& [tag, value] : tags)
        rtf.AddTag(tag, value);
    rtf.AppendBody(1);
    rtf.EndDocument();
    QFile::remove(model);
    return {target, count[0] + count[1], cents[0] + cents[1]};
}

// P(text, w): right-aligned to w characters, unchanged when longer.
QString Pad(const QString& text, int width)
{
    return text.rightJustified(width, u' ', false);
}

TreasuryFile WriteSummary(const QList<TreasuryFile>& paymentsPerAccount, const QList<TreasuryAccount>& accounts,
                          const TownHall& hall, const QDate& date, const QString& target)
{
    const QString rule(70, u'_');
    QStringList lines{" " + hall.countyCode + " " + hall.fiscalCode + "    " + LocalityTypeText(hall.localityType) + " "
                          + hall.name.toUpper(),
                      " Data Trezor:  " + date.toString("dd-MM-yyyy"),
                      " ",
                      " ",
                      "   Cod      Nr      Suma totala",
                      " Ajutor  titulari    / ajutor          Denumire ajutor",
                      rule};
    TreasuryFile total{target, 0, 0};
    for (int i = 0; i < accounts.size(); ++i) {
        const TreasuryFile& f = paymentsPerAccount[i];
        lines << " " + QString::fromLatin1(accounts[i].code) + Pad(QString::number(f.records), 12)
                     + Pad(CentsText(f.cents), 15) + "   -" + accounts[i].caption + " " + accounts[i].legal;
        total.records += f.records;
        total.cents += f.cents;
    }
    lines << rule << " Total:" + Pad(QString::number(total.records), 9) + Pad(CentsText(total.cents), 15);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(toCp1250(lines.join("\r\n") + "\r\n")) < 0 || !out.flush())
        throw OutputError(kTitle, "\rNu pot scrie fisierul " + target + "!");
    return total;
}

// A file of the folder that another program holds open, or empty.
QString OpenFileIn(const QString& folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& f : files)
        if (!f.fileName().startsWith(QLatin1String(".~lock.")) && TemplateIsOpen(f.filePath()))
            return f.filePath();
    return QString();
}

// A name beside the path that nothing uses yet.
QString FreshTempFolderBeside(const QString& path)
{
    for (int n = 1;; ++n) {
        const QString candidate = path + ".vechi" + QString::number(n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

// A temporary folder is private to its owner; the report's folder gets the
// permissions of a folder made the ordinary way, so that the other users of
// a shared folder can open it.
void GiveOrdinaryPermissions(const QString& folder)
{
#ifdef Q_OS_UNIX
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(folder).constData(), 0777 & ~mask);
#else
    Q_UNUSED(folder);
#endif
}

// Puts the fresh folder in place of the target; the old content goes only
// once the new is in place.
void MoveIntoPlace(const QString& fresh, const QString& target)
{
    const QString held = OpenFileIn(target);
    if (!held.isEmpty())
        throw OutputError(kTitle, "\rFisierul " + held + " este deschis in alt program!"
                                  "\rInchideti-l si reincercati! Nu am inlocuit nimic.");
    QString old;
    if (QFileInfo::exists(target)) {
        old = FreshTempFolderBeside(target);
        if (!QDir().rename(target, old))
            throw OutputError(kTitle, "\rDirectorul " + target + " este in utilizare!"
                                      "\rInchideti fisierele deschise sau stergeti-l manual si reinncercati!");
    }
    if (!QDir().rename(fresh, target)) {
        if (!old.isEmpty())
            QDir().rename(old, target);
        throw OutputError(kTitle, "\rNu pot muta rezultatele in " + target + "!");
    }
    if (!old.isEmpty())
        DeleteFolderTree(old);
}

} // namespace

const QList<TreasuryAccount>& TreasuryAccounts()
{
    static const QList<TreasuryAccount> accounts{
        {"073", "073 - Ajutorul pentru incalzirea locuintei combustibili solizi/petrolieri",
         "- Legea nr.226/2021, art. 6 alin.(2) lit.d) ",
         "ajutorului pentru incalzirea locuintei cu combustibili solizi/petrolieri", "TOTAL", "Anexa2_Ajutor_Lemne.xls",
         "Anexa3_Ajutor_Lemne.rtf"},
        {"074", "074 - Supliment combustibili solizi/petrolieri", "- Legea nr.226/2021, art. 25 alin.(1) lit.d) ",
         "suplimentului pentru combustibili solizi/petrolieri", "SUMAL", "Anexa2_Supliment_Lemne.xls",
         "Anexa3_Supliment_Lemne.rtf"},
    };
    return accounts;
}

QString TreasuryFolder(const QString& parentFolder)
{
    return QDir(parentFolder).filePath(QStringLiteral("Lemne_Trezorerie"));
}

QString PaymentFileName(const QString& countyCode, const QString& fiscalCode, const QDate& date)
{
    const QString county = countyCode.size() < 2 ? "0" + countyCode : countyCode;
    return county + fiscalCode + "_" + date.toString("dd-MM-yyyy") + ".dbf";
}

TreasuryResult MakeTreasuryReport(int monthSerial, const TreasuryChoice& choice, const QString& parentFolder)
{
    QList<TreasuryAccount> accounts;
    if (choice.account073)
        accounts << TreasuryAccounts()[0];
    if (choice.account074)
        accounts << TreasuryAccounts()[1];
    if (accounts.isEmpty())
        throw OutputError(kTitle, QStringLiteral("Nu ati ales niciun cont!"));
    if (!choice.paymentDate.isValid())
        throw OutputError(kTitle, QStringLiteral("\rData virarii este incorecta!"));
    const TownHall hall;
    std::vector<engine::storage::Payment> payments;
    for (const TreasuryAccount& account : accounts) {
        auto some = SelectPayments(monthSerial, account, choice.selection, hall, choice.paymentDate);
        payments.insert(payments.end(), some.begin(), some.end());
    }
    if (payments.empty())
        throw OutputError(kTitle, QStringLiteral("\rNu exista sume de plata in luna de lucru pentru selectia aleasa!"));

    const QString target = TreasuryFolder(parentFolder);
    QTemporaryDir fresh(target + ".nou-XXXXXX");
    if (!fresh.isValid())
        throw OutputError(kTitle, "\rNu pot crea un director in " + parentFolder + "!");
    GiveOrdinaryPermissions(fresh.path());
    const QString paymentName = PaymentFileName(hall.countyCode, hall.fiscalCode, choice.paymentDate);
    const QString paymentFile = QDir(fresh.path()).filePath(paymentName);
    InitTemplateResources();
    if (!ResourceToFile(QStringLiteral("ModelTrz"), QStringLiteral("MODEL"), paymentFile))
        throw OutputError(kTitle, "\rNu pot scrie fisierul " + paymentFile + "!");
    engine::storage::appendPayments(paymentFile.toStdString(), payments);

    QList<TreasuryFile> written;
    QList<TreasuryFile> perAccount;
    TreasuryFile dbf{paymentName, int(payments.size()), 0};
    for (const auto& p : payments)
        dbf.cents += ToCents(p.suma);
    written << dbf;
    for (const TreasuryAccount& account : accounts) {
        const TreasuryFile annex2 = WriteAnnex2(paymentFile, account, hall, choice.paymentDate,
                                                QDir(fresh.path()).filePath(account.annex2));
        perAccount << annex2;
        written << annex2;
    }
    for (const TreasuryAccount& account : accounts)
        written << WriteAnnex3(monthSerial, paymentFile, account, hall, choice.paymentDate,
                               QDir(fresh.path()).filePath(account.annex3));
    const QString summaryName = "StatTo_" + paymentName.chopped(3) + "txt";
    written << WriteSummary(perAccount, accounts, hall, choice.paymentDate, QDir(fresh.path()).filePath(summaryName));

    MoveIntoPlace(fresh.path(), target);
    fresh.setAutoRemove(false);
    WriteSetting(QStringLiteral("CONST"), QStringLiteral("DATAV"), choice.paymentDate.toString("dd.MM.yyyy"));
    TreasuryResult result{target, {}};
    for (TreasuryFile f : written) {
        f.path = QDir(target).filePath(QFileInfo(f.path).fileName());
        result.files << f;
    }
    return result;
}
