// The F2201 request files: who is asked about (adults of approved and modified
// households, each person once), the split into files, the request numbers;
// every file validated by xmllint against a schema of the form.
#include "ReportsFixture.h"

#include "register/Cnp.h"
#include "reports/F2201Export.h"

#include <QFile>

using namespace hestavo;

namespace {

QString ValidCnp(const QString& first12) { return first12 + QString::number(Cnp::controlDigit(first12)); }

// A valid CNP of someone born on the given date.
QString BornOn(const QDate& d, int serial = 1)
{
    const int s = d.year() >= 2000 ? 5 : 1;
    return ValidCnp(QString::number(s) + d.toString("yyMMdd") + QString("%1").arg(serial, 5, 10, QChar('0')));
}

const QDateTime kNow(QDate(2024, 3, 15), QTime(10, 30));

} // namespace

TEST(F2201Rules, AdultTestAtTheBirthdayBoundary)
{
    const QDate today(2024, 3, 15);
    const struct {
        QString cnp;
        bool adult;
        const char* why;
    } cases[] = {
        {BornOn(QDate(2006, 3, 15)), false, "18th birthday today"},
        {BornOn(QDate(2006, 3, 14)), true, "turned 18 yesterday"},
        {BornOn(QDate(2014, 1, 1)), false, "a child of 10"},
        {BornOn(QDate(1950, 6, 1)), true, "born in the 1900s"},
        {"", true, "no readable birth date"},
        {"18000001", true, "day 00: 1.1.1900"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAdult(c.cnp, today), c.adult) << c.why;
}

TEST(F2201Rules, RequestNumberGrowsTenMillionADay)
{
    const QDateTime t(QDate(2024, 3, 15), QTime(0, 0));
    // 15.03.2024 is day 45366 after 30.12.1899.
    EXPECT_EQ(F2201BaseRequest(t), qint64(45366 - 2017) * 10000000);
    EXPECT_EQ(F2201BaseRequest(t.addSecs(12 * 3600)) - F2201BaseRequest(t), 5000000);
}

class F2201ExportTest : public ReportsTest {};

TEST_F(F2201ExportTest, AdultsOfActiveHouseholdsOnceEach)
{
    const QString father = BornOn(QDate(1980, 1, 1)), mother = BornOn(QDate(1982, 2, 2)),
                  child = BornOn(QDate(2014, 5, 5)), other = BornOn(QDate(1970, 7, 7));
    AddApplication(1, "03.2024", {{"NR_CERE", "4"}, {"TITULAR", "\"POP ION\""}, {"CNP", '"' + father + '"'},
                                  {"DATACERE", "\"02.03.2024\""}});
    AddMember(1, 1, "POP ION", father, "beneficiar");
    AddMember(2, 1, "POP ANA", mother, "partener");
    AddMember(3, 1, "POP MIHAI", child, "copil");
    // The mother also holds application 9 of the month, registered earlier.
    AddApplication(2, "03.2024", {{"NR_CERE", "9"}, {"TITULAR", "\"POP ANA\""}, {"CNP", '"' + mother + '"'},
                                  {"DATACERE", "\"01.03.2024\""}, {"STATUT", "\"MODIFICAT\""}});
    // Rejected, stopped and other months are not asked about.
    AddApplication(3, "03.2024", {{"TITULAR", "\"RUS DAN\""}, {"CNP", '"' + other + '"'}, {"STATUT", "\"RESPINS\""}});
    AddApplication(4, "03.2024", {{"TITULAR", "\"RUS DAN\""}, {"CNP", '"' + other + '"'}, {"STATUT", "\"INCETAT\""}});
    AddApplication(5, "04.2024", {{"TITULAR", "\"RUS DAN\""}, {"CNP", '"' + other + '"'}});

    const QList<F2201Person> persons = F2201Persons("03.2024");
    ASSERT_EQ(persons.size(), 3);
    EXPECT_EQ(persons[0].name, "POP ANA");
    EXPECT_EQ(persons[0].applicationNumber, 9);
    EXPECT_EQ(persons[0].applicationDate, QDate(2024, 3, 2)) << "the larger number and the later date, each separately";

    const F2201Outcome outcome = WriteF2201Files(persons, OutFolder(), kNow);
    ASSERT_EQ(outcome.files, QStringList{OutFolder() + "/F2201_1.xml"});
    EXPECT_EQ(outcome.persons, 3);
    EXPECT_EQ(outcome.adults, 2);
    EXPECT_EQ(SchemaProblems("f2201.xsd", outcome.files[0]), QString());
    QFile f(outcome.files[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readLine().startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));

    const QStringList outline = XmlOutline(outcome.files[0]);
    ASSERT_EQ(outline.size(), 3);
    const QString ns = "{mfp:anaf:dgti:primarii:formulare:v1}";
    EXPECT_EQ(outline[0], "0 " + ns + "F2201 {http://www.w3.org/2001/XMLSchema-instance}schemaLocation="
                              "mfp:anaf:dgti:primarii:formulare:v1 file:/" + OutFolder() + "/F2201_1.xsd|Req_id="
                              + QString::number(F2201BaseRequest(kNow) + 1)
                              + "|Cui_primarie=4562443|Data_creare_mesaj=202403151030");
    EXPECT_EQ(outline[1], "1 " + ns + "persoane cif=" + mother + "|motiv=2|nr_dosar=9|data_dosar=02.03.2024|banci=0|"
                              "venituri_cu_sume=1|venituri_fara_sume=0|bunuri=1");
    EXPECT_EQ(outline[2], "1 " + ns + "persoane cif=" + father + "|motiv=2|nr_dosar=4|data_dosar=02.03.2024|banci=0|"
                              "venituri_cu_sume=1|venituri_fara_sume=0|bunuri=1");
}

TEST_F(F2201ExportTest, SplitsEvery501PositionsCountingMinorsToo)
{
    const struct {
        int persons;
        QList<int> adultsPerFile;
    } cases[] = {
        {1200, {500, 501, 199}},  // positions 1-500, 501-1001, 1002-1200
        {500, {500}},
        {501, {500, 1}},
        {3, {0}},                 // all minors: one file with a root only
    };
    for (const auto& c : cases) {
        QList<F2201Person> persons;
        const bool minors = c.persons == 3;
        for (int i = 0; i < c.persons; ++i)
            persons.append({QString("P%1").arg(i, 5, 10, QChar('0')),
                            BornOn(minors ? QDate(2015, 1, 1) : QDate(1960, 1, 1), i), i + 1, QDate(2024, 3, 1)});
        const QString folder = OutFolder() + "/" + QString::number(c.persons);
        QDir().mkpath(folder);
        const F2201Outcome outcome = WriteF2201Files(persons, folder, kNow);
        ASSERT_EQ(outcome.files.size(), c.adultsPerFile.size()) << c.persons;
        for (int k = 0; k < outcome.files.size(); ++k) {
            EXPECT_EQ(outcome.files[k], folder + "/F2201_" + QString::number(k + 1) + ".xml");
            EXPECT_EQ(SchemaProblems("f2201.xsd", outcome.files[k]), QString());
            const QStringList outline = XmlOutline(outcome.files[k]);
            EXPECT_EQ(outline.size() - 1, c.adultsPerFile[k]) << c.persons << " file " << k + 1;
            EXPECT_TRUE(outline.value(0).contains("|Req_id=" + QString::number(F2201BaseRequest(kNow) + k + 1) + "|"));
        }
    }
}
