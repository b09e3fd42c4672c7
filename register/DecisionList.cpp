#include "register/DecisionList.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
#include "register/DocumentRefusal.h"
#include "register/DocumentRows.h"

#include <algorithm>
#include <vector>

namespace hestavo {

namespace {

using Tags = PageTags;

// "X" and the amount when a supplement is paid; " " and "0" otherwise.
void AddSupplement(Tags& tags, const engine::ResultSet& rs, const char* mark, const char* column)
{
    const bool paid = rs.number(column) > 0;
    tags.emplace_back(QString::fromLatin1(mark), paid ? QStringLiteral("X") : QStringLiteral(" "));
    tags.emplace_back(QStringLiteral("[") + column + "]", paid ? RowText(rs, column) : QStringLiteral("0"));
}

QString Residence(const engine::ResultSet& rs)
{
    const QString locality = RowText(rs, "LOCALIT").trimmed();
    const QString address = RowText(rs, "ADRESA").trimmed();
    return locality.isEmpty() ? address : address + ", " + locality;
}

Tags DecisionTags(const engine::ResultSet& rs, const AdminSettings& s, const QDate& aidStart)
{
    const QString number = RowText(rs, "NR_DISP").trimmed();
    const QString cnp = RowText(rs, "CNP");
    const double amount = rs.number("CUANTUM");
    const QString applicationDate = RowDate(rs, "DATACERE");
    Tags tags{
        {"[JUDET]", s.judet},
        {"[TIPLOC]", LocalityTypes().value(s.tiploc)},
        {"[LOC]", s.primaria},
        {"[NR]", number.isEmpty() || number == "0" ? QStringLiteral("..........") : number},
        {"[DATA]", RowDate(rs, "DATADISP")},
        {"[DATA01]", aidStart.toString(QStringLiteral("dd.MM.yyyy"))},
        {"[DLUI]", Salutation(cnp)},
        {"[DOMNUL]", AddressFor(cnp).nominative},
        {"[NUME]", RowText(rs, "TITULAR")},
        {"[NRCERERE]", RowText(rs, "NR_CERE")},
        {"[DATACERERE]", applicationDate},
        {"[NRDATACERE]", RowText(rs, "NR_CERE") + "/" + applicationDate},
        {"[PRIMAR]", s.primar},
        {"[LOCART]", LocalityGenitive(s.tiploc)},
        {"[Domiciliu]", Residence(rs)},
        {"[CNP]", cnp},
        {"[Motiv]", RowText(rs, "MOTIVR")},
        {"[SECRETAR]", s.viceprimar},
        {"[CONTABIL]", s.contabil},
        {"[SUMA]", RowWhole(rs, "CUANTUM")},
        {"[LITERA]", QString(QChar::fromLatin1(BracketLetter(s.brackets, int(amount))))},
        {"[PERIOADA]", RowWhole(rs, "NR_LUNI")},
        {"[TOTAL]", RowWhole(rs, "TOTAL")},
        // A tick box: a blank one when no heating aid is granted, as the
        // supplement boxes, not the ten dots that stand for a missing value.
        {"[CUAJUT]", RowText(rs, "CUAJUT").trimmed().isEmpty() ? QStringLiteral(" ") : RowText(rs, "CUAJUT")},
    };
    for (auto& tag : UnitKindTags(s.tiploc))
        tags.push_back(std::move(tag));
    AddSupplement(tags, rs, "[SL]", "SUMAL");
    AddSupplement(tags, rs, "[SG]", "SUMAG");
    AddSupplement(tags, rs, "[SE]", "SUMAE");
    AddSupplement(tags, rs, "[ST]", "SUMAT");
    return tags;
}

QString Selection(const QString& workingMonth, const DecisionListing& l)
{
    const QString numbers = l.from == 0 && l.to == 0
        ? QStringLiteral("WHERE (NR_DISP=\"\" OR NR_DISP=\"0\" OR NR_DISP IS NULL)")
        : "WHERE CAST(NR_DISP AS FLOAT)>=" + QString::number(l.from) + " AND CAST(NR_DISP AS FLOAT)<="
            + QString::number(l.to);
    return "SELECT * FROM " + quotedTable(QStringLiteral("Cereri.dbf")) + " " + numbers
        + " AND LUNACRT=" + QString::number(MonthToSerial(workingMonth)) + " AND STATUT=\"" + l.status + "\"";
}

struct Decision {
    double number;
    Tags tags;
};

} // namespace

QString DecisionTemplateFile(const QString& status)
{
    if (status == "APROBAT")
        return QStringLiteral("Stabilire.rtf");
    if (status == "MODIFICAT")
        return QStringLiteral("Modificare.rtf");
    if (status == "INCETAT")
        return QStringLiteral("Incetare.rtf");
    if (status == "RESPINS")
        return QStringLiteral("Respingere.rtf");
    return QString();
}

int WriteDecisions(const QString& workingMonth, const DecisionListing& listing, const AdminSettings& settings,
                   const QString& output)
{
    std::vector<Decision> decisions;
    {
        auto rs = Db().open(sqlLines({Selection(workingMonth, listing)}));
        for (rs->first(); !rs->eof(); rs->next())
            decisions.push_back({QString::fromStdString(rs->text("NR_DISP")).toDouble(),
                                 DecisionTags(*rs, settings, listing.aidStart)});
    }
    if (decisions.empty())
        throw DocumentRefusal(QStringLiteral("Listare dispozitii"),
                              "\rNu exista nici un numar de dipozitie in intervalul " + QString::number(listing.from)
                                  + " - " + QString::number(listing.to) + " !");
    // Numeric order of the decision numbers: "9" before "10".
    std::stable_sort(decisions.begin(), decisions.end(),
                     [](const Decision& a, const Decision& b) { return a.number < b.number; });
    std::vector<PageTags> pages;
    pages.reserve(decisions.size());
    for (Decision& d : decisions)
        pages.push_back(std::move(d.tags));
    WritePages(DecisionTemplateFile(listing.status), output, pages, QStringLiteral("Listare Dispozitii"));
    return int(decisions.size());
}

} // namespace hestavo
