#include "register/ReportList.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
#include "register/DocumentRefusal.h"
#include "register/DocumentRows.h"

namespace hestavo {

namespace {

// The address, then ", " when there is one, then the locality.
QString Residence(const engine::ResultSet& rs)
{
    const QString address = RowText(rs, "ADRESA").trimmed();
    return (address.isEmpty() ? address : address + ", ") + RowText(rs, "LOCALIT").trimmed();
}

PageTags ReportTags(const engine::ResultSet& rs, const AdminSettings& s, const QDate& date)
{
    PageTags tags{
        {"[JUDET]", s.judet},
        {"[Dlui]", Salutation(RowText(rs, "CNP")) + " "},
        {"[DOMNUL]", AddressFor(RowText(rs, "CNP")).nominative},
        {"[NUME]", RowText(rs, "TITULAR")},
        {"[NRREF]", RowWhole(rs, "NR_REF")},
        {"[DATAREF]", date.toString(QStringLiteral("dd.MM.yyyy"))},
        {"[NRCERERE]", RowText(rs, "NR_CERE")},
        {"[DATACERERE]", RowDate(rs, "DATACERE")},
        {"[Domiciliu]", Residence(rs)},
        {"[CNP]", RowText(rs, "CNP")},
        {"[SUMA]", RowWhole(rs, "CUANTUM")},
        {"[TOTAL]", RowWhole(rs, "TOTAL")},
        {"[INTOCMIT]", s.intocmit},
        {"[SECRETAR]", s.viceprimar},
        {"[DIRECTOR]", s.director},
        {"[LOCALIT]", s.primaria},
        {"[SUPL]", RowWhole(rs, "SUMAL")},
        {"[SUPG]", RowWhole(rs, "SUMAG")},
        {"[SUPT]", RowWhole(rs, "SUMAT")},
        {"[SUPE]", RowWhole(rs, "SUMAE")},
    };
    for (auto& tag : UnitKindTags(s.tiploc))
        tags.push_back(std::move(tag));
    return tags;
}

} // namespace

QDate DefaultReportDate() { return QDate::currentDate(); }

int WriteReports(const QString& workingMonth, const ReportListing& listing, const AdminSettings& settings,
                 const QString& output)
{
    std::vector<PageTags> pages;
    {
        auto rs = Db().open(sqlLines({"SELECT * FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                      "WHERE LUNACRT=" + QString::number(MonthToSerial(workingMonth))
                                          + " AND NR_REF>=" + QString::number(listing.from) + " AND NR_REF<="
                                          + QString::number(listing.to) + " AND STATUT=\"APROBAT\"",
                                      "ORDER BY NR_CERE"}));
        for (rs->first(); !rs->eof(); rs->next())
            pages.push_back(ReportTags(*rs, settings, listing.date));
    }
    if (pages.empty())
        throw DocumentRefusal(QStringLiteral("Listare Referate"), "\rNu exista niciun Referat in intervalul "
                                                                      + QString::number(listing.from) + " - "
                                                                      + QString::number(listing.to) + " !");
    WritePages(QStringLiteral("Referat.rtf"), output, pages, QStringLiteral("Listare Referate"));
    return int(pages.size());
}

} // namespace hestavo
