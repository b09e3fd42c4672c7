#include "reports/F2201Export.h"

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "register/Cnp.h"
#include "reports/XmlText.h"

#include <QDir>
#include <QHash>
#include <QXmlStreamWriter>

#include <cmath>
#include <map>
#include <memory>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("ANAF F2201");
constexpr int kPositionsPerFile = 501;

struct Dossier {
    qint64 number = 0;
    QDate date;
};

// The persons table holds names of 32 and codes of 13 characters; the
// grouping works on the same cut texts.
using PersonKey = std::pair<QString, QString>;
void Merge(std::map<PersonKey, F2201Person>& persons, const QString& name, const QString& cnp, const Dossier& d)
{
    F2201Person& p = persons[{name.left(32), cnp.left(13)}];
    p.name = name.left(32);
    p.cnp = cnp.left(13);
    p.applicationNumber = std::max(p.applicationNumber, d.number);
    if (d.date.isValid() && (!p.applicationDate.isValid() || d.date > p.applicationDate))
        p.applicationDate = d.date;
}

QDate DateOf(const engine::ResultSet& rs, const char* column)
{
    const std::optional<engine::Date> d = rs.date(column);
    if (!d || !d->isValid())
        return QDate();
    return QDate(d->year, d->month, d->day);
}

// One F2201 document being filled.
class F2201Document {
public:
    F2201Document(qint64 request, const QString& folder, const QDateTime& now, int* cleaned)
        : m_xml(&m_data), m_cleaned(cleaned)
    {
        m_xml.setAutoFormatting(true);
        m_xml.writeStartElement(QStringLiteral("F2201"));
        m_xml.writeAttribute(QStringLiteral("xmlns"), QStringLiteral("mfp:anaf:dgti:primarii:formulare:v1"));
        m_xml.writeAttribute(QStringLiteral("xmlns:xsi"), QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"));
        m_xml.writeAttribute(QStringLiteral("xsi:schemaLocation"),
                             "mfp:anaf:dgti:primarii:formulare:v1 file:/" + QDir::toNativeSeparators(folder)
                                 + "/F2201_1.xsd");
        m_xml.writeAttribute(QStringLiteral("Req_id"), QString::number(request));
        m_xml.writeAttribute(QStringLiteral("Cui_primarie"),
                             XmlSafe(ReadSetting(QStringLiteral("SETARI"), QStringLiteral("SIRUES")), m_cleaned));
        m_xml.writeAttribute(QStringLiteral("Data_creare_mesaj"), now.toString(QStringLiteral("yyyyMMddHHmm")));
    }

    void person(const F2201Person& p)
    {
        m_xml.writeEmptyElement(QStringLiteral("persoane"));
        const std::pair<const char*, QString> attributes[] = {
            {"cif", XmlSafe(p.cnp, m_cleaned)},
            {"motiv", "2"},
            {"nr_dosar", QString::number(p.applicationNumber)},
            {"data_dosar", p.applicationDate.toString(QStringLiteral("dd.MM.yyyy"))},
            {"banci", "0"},
            {"venituri_cu_sume", "1"},
            {"venituri_fara_sume", "0"},
            {"bunuri", "1"}};
        for (const auto& [key, value] : attributes)
            m_xml.writeAttribute(QString::fromLatin1(key), value);
    }

    void save(const QString& path)
    {
        m_xml.writeEndElement();
        // The declaration names the encoding in lower case, as the form's tools expect.
        WriteFileWhole(path, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + m_data.trimmed() + '\n', kHeading);
    }

private:
    QByteArray m_data;
    QXmlStreamWriter m_xml;
    int* m_cleaned;
};

} // namespace

QList<F2201Person> F2201Persons(const QString& workingMonth)
{
    const QString active = QStringLiteral("(STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")");
    auto applications = Db().open(sqlLines({"SELECT NRCRT, TITULAR, CNP, NR_CERE, DATACERE",
                                            "FROM " + quotedTable("Cereri.dbf"),
                                            "WHERE LUNACRT=" + QString::number(MonthToSerial(workingMonth)),
                                            "AND " + active}));
    std::map<PersonKey, F2201Person> persons;
    QHash<qint64, Dossier> dossiers;
    for (applications->first(); !applications->eof(); applications->next()) {
        const Dossier d{applications->integer("NR_CERE"), DateOf(*applications, "DATACERE")};
        dossiers.insert(applications->integer("NRCRT"), d);
        Merge(persons, QString::fromStdString(applications->text("TITULAR")),
              QString::fromStdString(applications->text("CNP")), d);
    }
    auto members = Db().open(sqlLines({"SELECT NRCRT, TITULAR, CNP FROM " + quotedTable("Oameni.dbf")}));
    for (members->first(); !members->eof(); members->next()) {
        const auto it = dossiers.constFind(members->integer("NRCRT"));
        if (it != dossiers.cend())
            Merge(persons, QString::fromStdString(members->text("TITULAR")),
                  QString::fromStdString(members->text("CNP")), *it);
    }
    QList<F2201Person> out;
    out.reserve(qsizetype(persons.size()));
    for (auto& [key, person] : persons)
        out.append(person);
    return out;
}

bool IsAdult(const QString& cnp, const QDate& today)
{
    return Cnp::birthDate(cnp) < today.addMonths(-216);
}

qint64 F2201BaseRequest(const QDateTime& now)
{
    const double days = QDate(1899, 12, 30).daysTo(now.date()) + now.time().msecsSinceStartOfDay() / 86400000.0;
    return static_cast<qint64>(std::floor((days - 2017) * 10000000.0));
}

F2201Outcome WriteF2201Files(const QList<F2201Person>& persons, const QString& folder, const QDateTime& now)
{
    F2201Outcome outcome;
    const qint64 base = F2201BaseRequest(now);
    auto path = [&folder](int number) { return QDir(folder).filePath("F2201_" + QString::number(number) + ".xml"); };
    int fileNumber = 1;
    auto document = std::make_unique<F2201Document>(base + fileNumber, folder, now, &outcome.cleanedValues);
    for (int p = 1; p <= persons.size(); ++p) {
        if (p % kPositionsPerFile == 0) {
            document->save(path(fileNumber));
            outcome.files << path(fileNumber);
            ++fileNumber;
            document = std::make_unique<F2201Document>(base + fileNumber, folder, now, &outcome.cleanedValues);
        }
        const F2201Person& person = persons[p - 1];
        ++outcome.persons;
        if (IsAdult(person.cnp, now.date())) {
            document->person(person);
            ++outcome.adults;
        }
    }
    document->save(path(fileNumber));
    outcome.files << path(fileNumber);
    return outcome;
}

} // namespace hestavo
