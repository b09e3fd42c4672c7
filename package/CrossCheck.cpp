#include "package/CrossCheck.h"

#include "data/Db.h"
#include "data/Months.h"
#include "documents/PaymentSelection.h"
#include "documents/TemplateStore.h"
#include "documents/TreasuryReport.h"
#include "package/ListReader.h"
#include "package/PackageLayout.h"
#include "register/DocumentRows.h"
#include "reports/F2201Export.h"
#include "workbook/Workbook.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <map>
#include <memory>

namespace hestavo {

namespace {

using Amounts = QMap<QString, qint64>;   // holder CNP -> bani (or a count of persons)

struct Source {
    QString name;
    Amounts amounts;
};

// The month as its tables hold it: the amounts of the paid applications
// (APROBAT or MODIFICAT) per holder, the adults, and a label per CNP.
struct MonthTables {
    Amounts aid, wood, gas, electricity, heat, adults;
    QHash<QString, QString> labels;
};

QString Text(const engine::ResultSet& rs, const char* column) { return RowText(rs, column).trimmed(); }

MonthTables ReadTables(int monthSerial, const QDate& today)
{
    MonthTables t;
    auto rs = Db().open(sqlLines({"SELECT NRCRT, NR_CERE, TITULAR, CNP, STATUT, TOTAL, SUMAL, SUMAG, SUMAE, SUMAT",
                                  "FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                  "WHERE LUNACRT=" + QString::number(monthSerial)}));
    QSet<qint64> paid;
    for (rs->first(); !rs->eof(); rs->next()) {
        const QString cnp = Text(*rs, "CNP");
        t.labels.insert(cnp, Text(*rs, "TITULAR") + ", cererea " + Text(*rs, "NR_CERE"));
        const QString status = Text(*rs, "STATUT");
        if (status != QLatin1String("APROBAT") && status != QLatin1String("MODIFICAT"))
            continue;
        paid.insert(rs->integer("NRCRT"));
        const std::pair<Amounts*, const char*> columns[] = {
            {&t.aid, "TOTAL"}, {&t.wood, "SUMAL"}, {&t.gas, "SUMAG"}, {&t.electricity, "SUMAE"}, {&t.heat, "SUMAT"}};
        for (const auto& [amounts, column] : columns)
            (*amounts)[cnp] += ToCents(rs->number(column));
        if (IsAdult(cnp, today))
            t.adults[cnp] = 1;
    }
    auto members = Db().open(sqlLines({"SELECT NRCRT, CNP FROM " + quotedTable(QStringLiteral("Oameni.dbf"))}));
    for (members->first(); !members->eof(); members->next()) {
        const QString cnp = Text(*members, "CNP");
        if (paid.contains(members->integer("NRCRT")) && IsAdult(cnp, today))
            t.adults[cnp] = 1;
    }
    return t;
}

// The list workbooks of the package and the templates they were filled
// from (the editable ones in the data folder, the fixed ones written out for
// the reading), each opened once.
class ListBooks {
public:
    ~ListBooks()
    {
        for (const QString& copy : std::as_const(m_copies))
            QFile::remove(copy);
    }
    ListLayout editable(const QString& file, int sheet)
    {
        const EditableTemplate* t = FindEditableTemplate(file);
        return layout(t ? EditableTemplatePath(*t) : tableFile(file), sheet);
    }
    ListLayout fixed(const QString& resource, int sheet)
    {
        if (!m_fixed.contains(resource)) {
            const QString copy = WriteFixedTemplate(resource, QStringLiteral("Verif"), QStringLiteral(".xls"));
            m_copies << copy;
            m_fixed.insert(resource, copy);
        }
        return layout(m_fixed.value(resource), sheet);
    }
    // The amounts of a list; none when the package does not hold the file.
    Amounts amounts(const QString& file, int sheet, const ListLayout& layout, const QString& field, int multiplier = 1)
    {
        return QFile::exists(file) ? ReadListAmounts(book(file), sheet, layout, field, multiplier) : Amounts();
    }

private:
    workbook::Workbook& book(const QString& path)
    {
        auto& open = m_books[path];
        if (!open)
            open = workbook::Workbook::open(path);
        return *open;
    }
    ListLayout layout(const QString& templatePath, int sheet) { return ReadListLayout(book(templatePath), sheet); }

    std::map<QString, std::unique_ptr<workbook::Workbook>> m_books;
    QHash<QString, QString> m_fixed;
    QStringList m_copies;
};

void Add(Amounts& into, const Amounts& more)
{
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        into[it.key()] += it.value();
}

// Annex 13's five sheets list the applications of 5, 4, ... 1 months of aid
// with their monthly amount.
Amounts Annex13Amounts(const QString& file, ListBooks& books)
{
    Amounts all;
    for (int sheet = 0; sheet < 5; ++sheet)
        Add(all, books.amounts(file, sheet, books.fixed(QStringLiteral("AJPIS"), sheet), QStringLiteral("CUANTUM"),
                               5 - sheet));
    return all;
}

// The payment file's amounts of one account.
Amounts PaymentFileAmounts(const QString& treasuryFolder, const QString& account)
{
    Amounts amounts;
    for (const QFileInfo& f : QDir(treasuryFolder).entryInfoList({QStringLiteral("*.dbf")}, QDir::Files)) {
        auto rs = Db().open(("SELECT CNP, SUMA FROM " + quotedPath(f.absoluteFilePath()) + " WHERE CODAJUT="
                             + QuotedLiteral(account)).toStdString());
        for (rs->first(); !rs->eof(); rs->next())
            amounts[Text(*rs, "CNP")] += ToCents(rs->number("SUMA"));
    }
    return amounts;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(("Nu pot citi " + QDir::toNativeSeparators(path)).toStdString());
    return f.readAll();
}

// The aid of each household of the ANPIS file (cereri/@cnpt, drepturiAI/@valref).
Amounts AnpisAmounts(const QString& folder)
{
    Amounts amounts;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("Date_*.xml")}, QDir::Files)) {
        QXmlStreamReader xml(FileBytes(f.absoluteFilePath()));
        QString holder;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("cereri"))
                holder = xml.attributes().value("cnpt").toString().trimmed();
            else if (xml.name() == QLatin1String("drepturiAI"))
                amounts[holder] += ToCents(xml.attributes().value("valref").toDouble());
        }
        if (xml.hasError())
            throw std::runtime_error(("Fisierul " + f.fileName() + " nu se poate citi: " + xml.errorString()).toStdString());
    }
    return amounts;
}

// How many times each CNP stands in the F2201 files.
Amounts F2201FilePersons(const QString& folder)
{
    Amounts persons;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("F2201_*.xml")}, QDir::Files)) {
        QXmlStreamReader xml(FileBytes(f.absoluteFilePath()));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("persoane"))
                persons[xml.attributes().value("cif").toString().trimmed()] += 1;
        }
        if (xml.hasError())
            throw std::runtime_error(("Fisierul " + f.fileName() + " nu se poate citi: " + xml.errorString()).toStdString());
    }
    return persons;
}

// The suppliers' annexes of one kind, all suppliers together.
Amounts SupplierAmounts(const QString& folder, const QString& annex, const QString& field, ListBooks& books)
{
    Amounts all;
    for (const QFileInfo& d : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        Add(all, books.amounts(QDir(d.absoluteFilePath()).filePath(annex + ".xls"), 0, books.fixed(annex, 0), field));
    return all;
}

class Comparison {
public:
    Comparison(CrossCheckResult& result, const QHash<QString, QString>& labels) : m_result(result), m_labels(labels) {}

    // Every source against the reference, household by household.
    void compare(const QString& subject, const Source& reference, const QList<Source>& sources, bool counts = false)
    {
        m_counts = counts;
        m_result.report << "" << subject + ":" << line(reference, 0);
        for (const Source& s : sources) {
            int differing = 0;
            QSet<QString> cnps(reference.amounts.keyBegin(), reference.amounts.keyEnd());
            cnps.unite(QSet<QString>(s.amounts.keyBegin(), s.amounts.keyEnd()));
            QStringList sorted(cnps.cbegin(), cnps.cend());
            sorted.sort();
            for (const QString& cnp : sorted) {
                const qint64 want = reference.amounts.value(cnp), got = s.amounts.value(cnp);
                if (want == got)
                    continue;
                ++differing;
                m_result.differences << subject + ": " + label(cnp) + ": " + reference.name + " " + value(want) + ", "
                                            + s.name + " " + value(got);
            }
            m_result.report << line(s, differing);
        }
    }

private:
    QString value(qint64 v) const { return m_counts ? QString::number(v) : CentsText(v); }
    QString label(const QString& cnp) const
    {
        const QString holder = m_labels.value(cnp);
        return "CNP " + (cnp.isEmpty() ? QStringLiteral("(gol)") : cnp) + (holder.isEmpty() ? "" : " (" + holder + ")");
    }
    QString line(const Source& s, int differing) const
    {
        qint64 total = 0;
        for (qint64 v : s.amounts)
            total += v;
        return "  " + s.name + ": " + QString::number(s.amounts.size()) + (m_counts ? " persoane" : " gospodarii, total "
                                                                                       + CentsText(total))
               + (differing ? " - " + QString::number(differing) + " diferente" : QString());
    }

    CrossCheckResult& m_result;
    const QHash<QString, QString>& m_labels;
    bool m_counts = false;
};

// Drops the households listed with nothing (a list writes zero blank).
Amounts Paid(Amounts amounts)
{
    amounts.removeIf([](const auto& it) { return it.value() == 0; });
    return amounts;
}

} // namespace

CrossCheckResult CrossCheckPackage(const QString& packageFolder, const QString& workingMonth, const QDate& today)
{
    const QDir root(packageFolder);
    const QString ajpis = root.filePath(kPackageAjpis), treasury = root.filePath(kPackageTreasury);
    const QString suppliers = root.filePath(kPackageSuppliers);
    const MonthTables tables = ReadTables(MonthToSerial(workingMonth), today);
    ListBooks books;
    const QString paymentList = QDir(treasury).filePath(kPackagePaymentList);
    auto payment = [&](int sheet, const QString& field) {
        return Paid(books.amounts(paymentList, sheet, books.editable(QStringLiteral("Stat.xls"), sheet), field));
    };
    auto ajpisList = [&](const QString& file, const QString& field) {
        return Paid(books.amounts(QDir(ajpis).filePath(file), 0, books.editable(file, 0), field));
    };
    auto treasuryAnnex = [&](const TreasuryAccount& account) {
        return Paid(books.amounts(QDir(treasury).filePath(QString::fromLatin1(account.annex2)), 0,
                                  books.fixed(QStringLiteral("TrezAnx2"), 0), QStringLiteral("SUMA")));
    };

    CrossCheckResult result;
    result.report << "Verificarea pachetului lunii " + workingMonth
                  << "Fisierele citite inapoi de pe disc, comparate cu tabelele lunii, gospodarie cu gospodarie (CNP-ul "
                     "titularului), la ban.";
    Comparison comparison(result, tables.labels);
    const TreasuryAccount& aidAccount = TreasuryAccounts()[0];
    const TreasuryAccount& woodAccount = TreasuryAccounts()[1];
    QList<Source> aid{{"Anexa 13", Paid(Annex13Amounts(QDir(ajpis).filePath("Anexa13_21.xls"), books))},
                      {"Stat de plata - Cumulat", payment(0, "TOTAL")},
                      {"Stat de plata - Ajutoare", payment(1, "TOTAL")},
                      {"ANPIS", Paid(AnpisAmounts(root.filePath(kPackageAnpis)))}};
    QList<Source> wood{{"Stat de plata - Cumulat", payment(0, "SUMAL")},
                       {"Stat de plata - Suplim.Lemne", payment(2, "SUMAL")},
                       {"Anexa 17", ajpisList("Anexa17.xls", "SUMAL")}};
    const std::pair<const TreasuryAccount*, QList<Source>*> accounts[] = {{&aidAccount, &aid}, {&woodAccount, &wood}};
    for (const auto& [account, sources] : accounts) {
        if (!QFile::exists(QDir(treasury).filePath(QString::fromLatin1(account->annex2))))
            continue;   // the account was not chosen
        const QString code = QString::fromLatin1(account->code);
        *sources << Source{"Trezorerie anexa 2 (" + code + ")", treasuryAnnex(*account)}
                 << Source{"Fisierul de plata (" + code + ")", Paid(PaymentFileAmounts(treasury, code))};
    }
    comparison.compare(QStringLiteral("Ajutorul pentru incalzire"), {"Tabele (TOTAL)", Paid(tables.aid)}, aid);
    comparison.compare(QStringLiteral("Suplimentul pentru lemne"), {"Tabele (SUMAL)", Paid(tables.wood)}, wood);
    comparison.compare(QStringLiteral("Suplimentul pentru gaze"), {"Tabele (SUMAG)", Paid(tables.gas)},
                       {{"Anexa 15", ajpisList("Anexa15.xls", "SUMAG")},
                        {"Furnizori - Anexa 15", Paid(SupplierAmounts(suppliers, "Anexa15", "SUMAG", books))}});
    comparison.compare(QStringLiteral("Suplimentul pentru energie electrica"), {"Tabele (SUMAE)", Paid(tables.electricity)},
                       {{"Anexa 16", ajpisList("Anexa16.xls", "SUMAE")},
                        {"Furnizori - Anexa 16", Paid(SupplierAmounts(suppliers, "Anexa16", "SUMAE", books))}});
    comparison.compare(QStringLiteral("Suplimentul pentru energie termica"), {"Tabele (SUMAT)", Paid(tables.heat)},
                       {{"Anexa 14", ajpisList("Anexa14.xls", "SUMAT")}});
    comparison.compare(QStringLiteral("Adultii F2201"), {"Tabele (adulti dupa CNP)", tables.adults},
                       {{"F2201", F2201FilePersons(root.filePath(kPackageAnaf))}}, true);
    result.report << "";
    if (result.differences.isEmpty())
        result.report << QStringLiteral("Rezultat: fisierele concorda.");
    else
        result.report << "Rezultat: " + QString::number(result.differences.size())
                             + " diferente - pachetul nu se trimite:" << result.differences;
    return result;
}

} // namespace hestavo
