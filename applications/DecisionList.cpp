#include "applications/DecisionList.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "applications/DocumentRefusal.h"
#include "data/Db.h"
#include "data/Months.h"
#include "documents/RtfTemplate.h"
#include "documents/TemplateStore.h"
#include "engine/Database.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace hestavo {

namespace {

using Tags = std::vector<std::pair<QString, QString>>;

QString Text(const engine::ResultSet& rs, const char* column) { return QString::fromStdString(rs.text(column)); }

QString DateText(const engine::ResultSet& rs, const char* column)
{
    const auto d = rs.date(column);
    return d && d->isValid() ? QString::fromStdString(d->toText()) : QString();
}

QString Whole(double value) { return QString::number(qint64(value)); }

// "X" and the amount when a supplement is paid; " " and "0" otherwise.
void AddSupplement(Tags& tags, const engine::ResultSet& rs, const char* mark, const char* column)
{
    const bool paid = rs.number(column) > 0;
    tags.emplace_back(QString::fromLatin1(mark), paid ? QStringLiteral("X") : QStringLiteral(" "));
    tags.emplace_back(QStringLiteral("[") + column + "]", paid ? Text(rs, column) : QStringLiteral("0"));
}

QString Residence(const engine::ResultSet& rs)
{
    const QString locality = Text(rs, "LOCALIT").trimmed();
    const QString address = Text(rs, "ADRESA").trimmed();
    return locality.isEmpty() ? address : address + ", " + locality;
}

Tags DecisionTags(const engine::ResultSet& rs, const AdminSettings& s, const QDate& aidStart)
{
    const QString number = Text(rs, "NR_DISP").trimmed();
    const QString cnp = Text(rs, "CNP");
    const double amount = rs.number("CUANTUM");
    const QString applicationDate = DateText(rs, "DATACERE");
    Tags tags{
        {"[JUDET]", s.judet},
        {"[TIPLOC]", LocalityTypes().value(s.tiploc)},
        {"[LOC]", s.primaria},
        {"[NR]", number.isEmpty() || number == "0" ? QStringLiteral("..........") : number},
        {"[DATA]", DateText(rs, "DATADISP")},
        {"[DATA01]", aidStart.toString(QStringLiteral("dd.MM.yyyy"))},
        {"[DLUI]", cnp.startsWith('1') || cnp.startsWith('5') ? QStringLiteral("domnului") : QStringLiteral("doamnei")},
        {"[NUME]", Text(rs, "TITULAR")},
        {"[NRCERERE]", Text(rs, "NR_CERE")},
        {"[DATACERERE]", applicationDate},
        {"[NRDATACERE]", Text(rs, "NR_CERE") + "/" + applicationDate},
        {"[PRIMAR]", s.primar},
        {"[LOCART]", LocalityGenitive(s.tiploc)},
        {"[Domiciliu]", Residence(rs)},
        {"[CNP]", cnp},
        {"[Motiv]", Text(rs, "MOTIVR")},
        {"[SECRETAR]", s.viceprimar},
        {"[CONTABIL]", s.contabil},
        {"[SUMA]", Whole(amount)},
        {"[LITERA]", QString(QChar::fromLatin1(BracketLetter(s.brackets, int(amount))))},
        {"[PERIOADA]", Whole(rs.number("NR_LUNI"))},
        {"[TOTAL]", Whole(rs.number("TOTAL"))},
        {"[CUAJUT]", Text(rs, "CUAJUT")},
    };
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
    const EditableTemplate* entry = FindEditableTemplate(DecisionTemplateFile(listing.status));
    const QString model = entry ? EditableTemplatePath(*entry) : DecisionTemplateFile(listing.status);
    if (!entry || !QFileInfo::exists(model))
        throw DocumentRefusal(QStringLiteral("Listare Dispozitii"), "Nu exista modelul " + model + "!");
    if (TemplateIsOpen(output))
        throw DocumentRefusal(QStringLiteral("Listare Dispozitii"), "Nu pot scrie pe harddisk!");
    // Numeric order of the decision numbers: "9" before "10".
    std::stable_sort(decisions.begin(), decisions.end(),
                     [](const Decision& a, const Decision& b) { return a.number < b.number; });

    documents::RtfTemplate rtf;
    rtf.setRTFSursa(model);
    rtf.setRTFDest(output);
    if (!rtf.BeginDocument())
        throw DocumentRefusal(QStringLiteral("Listare Dispozitii"), "Nu pot scrie pe harddisk!");
    for (std::size_t i = 0; i < decisions.size(); ++i) {
        rtf.ClearTags();
        for (const auto& [tag, value] : decisions[i].tags)
            rtf.AddTag(tag, value);
        rtf.AppendBody(1);
        if (i + 1 < decisions.size())
            rtf.AppendPageBreak();
    }
    rtf.EndDocument();
    return int(decisions.size());
}

} // namespace hestavo
