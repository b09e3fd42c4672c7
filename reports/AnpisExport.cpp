#include "reports/AnpisExport.h"

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "reports/ExportError.h"
#include "reports/ExportText.h"
#include "reports/XmlText.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QList>
#include <QXmlStreamWriter>

#include <cmath>

namespace hestavo {

namespace {

const QString kSection = QStringLiteral("SETARI");

// A number column in the general format; a blank one is written 0, so that
// the file never carries an empty number.
QString NumberText(const engine::ResultSet& rs, const char* column)
{
    return rs.isNull(column) ? QStringLiteral("0") : QString::fromStdString(rs.text(column));
}

struct Member {
    QString cnp, name, role, income;
    double incomeValue = 0;
};

// The members of every application, in member order, by NRCRT.
QHash<qint64, QList<Member>> MembersByApplication()
{
    QHash<qint64, QList<Member>> out;
    auto rs = Db().open(sqlLines({"SELECT * FROM " + quotedTable("Oameni.dbf"), "ORDER BY NRCRT, NROM"}));
    for (rs->first(); !rs->eof(); rs->next()) {
        Member m;
        m.cnp = QString::fromStdString(rs->text("CNP"));
        m.name = QString::fromStdString(rs->text("TITULAR"));
        m.role = QString::fromStdString(rs->text("CALITATE"));
        m.income = NumberText(*rs, "VENIT");
        m.incomeValue = rs->number("VENIT");
        out[rs->integer("NRCRT")].append(m);
    }
    return out;
}

// Writes the attributes of one element from (name, value) pairs, in order.
class AttributeWriter {
public:
    AttributeWriter(QXmlStreamWriter& xml, int* cleaned) : m_xml(xml), m_cleaned(cleaned) {}
    void element(const QString& name, std::initializer_list<std::pair<const char*, QString>> attributes)
    {
        m_xml.writeStartElement(name);
        add(attributes);
    }
    void add(std::initializer_list<std::pair<const char*, QString>> attributes)
    {
        for (const auto& [key, value] : attributes)
            m_xml.writeAttribute(QString::fromLatin1(key), XmlSafe(value, m_cleaned));
    }

private:
    QXmlStreamWriter& m_xml;
    int* m_cleaned;
};

class AnpisWriter {
public:
    AnpisWriter(QXmlStreamWriter& xml, AnpisOutcome& outcome, const QString& workingMonth)
        : m_xml(xml), m_out(outcome), m_attr(xml, &outcome.cleanedValues)
    {
        const qint64 cu1 = ReadSettingNumber(kSection, QStringLiteral("Cu1"));
        m_firstAid = double(cu1) / kFixedOne;
        const QDate first = QDate::fromString("01." + workingMonth, QStringLiteral("dd.MM.yyyy"));
        m_incomeMonth = first.addMonths(-1).toString(QStringLiteral("MM"));
    }

    void application(const engine::ResultSet& a, int counter, const QList<Member>& members)
    {
        auto t = [&a](const char* column) { return QString::fromStdString(a.text(column)); };
        auto n = [&a](const char* column) { return NumberText(a, column); };
        const long long children = RoundHalfEven(a.number("COPII14")) + RoundHalfEven(a.number("COPII18"));
        m_attr.element("cereri", {{"idCerere", QString::number(counter)},
                                  {"nrinreg", n("NR_CERE")},
                                  {"datareg", t("DATACERE")},
                                  {"cnpt", t("CNP")},
                                  {"titcont", t("TITULAR")},
                                  {"iban", {}},
                                  {"banca", {}},
                                  {"datacer", t("DATACERE")},
                                  {"nrcop", QString::number(children)},
                                  {"nrmaj", QString::number(RoundHalfEven(a.number("NR_MEMBRI")) - children)}});
        m_attr.element("cereriAdr", {{"localitate", t("LOCALIT")}, {"strada", t("ADRESA")}, {"numar", {}}, {"bl", {}},
                                     {"sc", {}}, {"et", {}}, {"ap", {}}, {"sector", {}}, {"email", {}},
                                     {"telefon", {}}, {"modloc", "casa cu curte"}, {"nrcam", n("NRCAM")},
                                     {"rjloc", "proprietate personala"}, {"provloc", "mostenire"},
                                     {"tiploc", "TIP B"}});
        m_xml.writeEndElement();
        m_attr.element("cereriAprb", {{"nrmembri", n("NR_MEMBRI")}, {"vt", n("TVENIT")}, {"vm", n("VENITM")}});
        m_xml.writeEndElement();
        rights(a);
        persons(a, members);
        m_attr.element("venituri", {{"lunav", m_incomeMonth}, {"vt", n("TVENIT")}});
        m_attr.element("venituriC", {{"codv", "31"}, {"sumav", n("TVENIT")}});
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        m_xml.writeEndElement();
    }

private:
    void rights(const engine::ResultSet& a)
    {
        auto t = [&a](const char* column) { return QString::fromStdString(a.text(column)); };
        m_xml.writeStartElement(QStringLiteral("drepturi"));
        const double total = a.number("TOTAL");
        const QString percent = m_firstAid == 0 ? QStringLiteral("0") : GeneralNumber(total / m_firstAid * 100);
        m_attr.element("drepturiAI", {{"cnpctr", t("CNP")}, {"tipaj", "lemne"}, {"furnizor", {}}, {"codabonat", {}},
                                      {"codloc", {}}, {"procent", percent}, {"valref", NumberText(a, "TOTAL")},
                                      {"nrdisp", t("NR_DISP")}, {"datadisp", t("DATADISP")}});
        m_xml.writeEndElement();
        struct Supplement {
            const char *amount, *cnp, *kind, *supplier, *subscriber, *place;
        };
        static const Supplement kinds[] = {{"SUMAL", "CNP", "lemne", nullptr, nullptr, nullptr},
                                           {"SUMAE", "CNPE", "electric", "FURNE", "PODE", "CODCLE"},
                                           {"SUMAG", "CNPG", "gaz", "FURNG", "PODG", "CODCLG"},
                                           {"SUMAT", "CNPT", "termica", "FURNT", nullptr, "CODCLT"}};
        auto optional = [&t](const char* column) { return column ? t(column) : QString(); };
        for (const Supplement& s : kinds) {
            if (RoundHalfEven(a.number(s.amount)) <= 0)
                continue;
            m_attr.element("drepturiSup", {{"cnpctr", t(s.cnp)}, {"tipaj", s.kind}, {"furnizor", optional(s.supplier)},
                                           {"codabonat", optional(s.subscriber)}, {"codloc", optional(s.place)},
                                           {"suma", NumberText(a, s.amount)}, {"nrdisp", t("NR_DISP")},
                                           {"datadisp", t("DATADISP")}});
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    void persons(const engine::ResultSet& a, const QList<Member>& members)
    {
        long long income = 0;
        for (const Member& m : members)
            income += RoundHalfEven(m.incomeValue);
        m_attr.element("persoane", {{"nrpersoane", QString::number(members.size())},
                                    {"venitpers", QString::number(income)}});
        for (const Member& m : members) {
            const NameParts name = SplitName(m.name);
            const bool holder = m.role == QLatin1String("beneficiar");
            m_attr.element("persoaneM", {{"cnp", m.cnp}, {"nume", name.surname}, {"prenume", name.firstNames},
                                         {"tipci", "CI"}, {"serie", "."}, {"nrci", "."}, {"elibci", "SPCLEP"}});
            if (holder)
                m_attr.add({{"stareciv", QString::fromStdString(a.text("STCIV"))},
                            {"sprof", QString::fromStdString(a.text("SITPROF"))}});
            m_attr.add({{"hand", "NU"}, {"reltit", holder ? QStringLiteral("Titular") : m.role}, {"venit", m.income}});
            m_xml.writeEndElement();
            ++m_out.persons;
        }
        m_xml.writeEndElement();
    }

    QXmlStreamWriter& m_xml;
    AnpisOutcome& m_out;
    AttributeWriter m_attr;
    double m_firstAid = 0;
    QString m_incomeMonth;
};

} // namespace

QString AnpisFileName()
{
    return "Date_" + ReadSetting(kSection, QStringLiteral("SIRUES")) + "v2.xml";
}

QByteArray BuildAnpisXml(const QString& workingMonth, AnpisOutcome* outcome)
{
    AnpisOutcome local;
    AnpisOutcome& out = outcome ? *outcome : local;
    const int serial = MonthToSerial(workingMonth);
    auto applications = Db().open(sqlLines({"SELECT *", "FROM " + quotedTable("Cereri.dbf"),
                                            "WHERE LUNACRT=" + QString::number(serial), "AND TOTAL>0",
                                            "ORDER BY NR_CERE"}));
    if (applications->isEmpty())
        throw ExportError(QStringLiteral("Export ANPIS"), QStringLiteral("\nNu aveti nicio cerere aprobata!"));
    const QHash<qint64, QList<Member>> members = MembersByApplication();

    QByteArray data;
    QXmlStreamWriter xml(&data);
    xml.setAutoFormatting(true);
    xml.writeStartDocument(QStringLiteral("1.0"));
    AttributeWriter root(xml, &out.cleanedValues);
    root.element("date", {{"judet", ReadSetting(kSection, QStringLiteral("JUDET"))},
                          {"cifuat", ReadSetting(kSection, QStringLiteral("SIRUES"))},
                          {"primaria", ReadSetting(kSection, QStringLiteral("PRIMARIA"))},
                          {"nrCereri", QString::number(applications->recordCount())},
                          {"anul", workingMonth.mid(3, 4)},
                          {"luna", workingMonth.left(2)}});
    AnpisWriter writer(xml, out, workingMonth);
    int counter = 0;
    for (applications->first(); !applications->eof(); applications->next())
        writer.application(*applications, ++counter, members.value(applications->integer("NRCRT")));
    xml.writeEndDocument();
    out.applications = counter;
    return data;
}

AnpisOutcome WriteAnpisXml(const QString& workingMonth, const QString& folder)
{
    AnpisOutcome outcome;
    const QByteArray data = BuildAnpisXml(workingMonth, &outcome);
    outcome.file = QDir(folder).filePath(AnpisFileName());
    WriteFileWhole(outcome.file, data, QStringLiteral("Export Date ANPIS"));
    return outcome;
}

} // namespace hestavo
