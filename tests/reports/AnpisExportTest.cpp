// The ANPIS data file of a month, read back by python's XML parser and
// validated by xmllint against a schema written from the file's description.
#include "ReportsFixture.h"

#include "register/Cnp.h"
#include "reports/AnpisExport.h"
#include "reports/ExportError.h"
#include "reports/ExportText.h"

#include <QFile>

using namespace hestavo;

namespace {

QString ValidCnp(const QString& first12) { return first12 + QString::number(Cnp::controlDigit(first12)); }

// The lines of an outline that start with "depth tag ".
QStringList Elements(const QStringList& outline, const QString& prefix)
{
    QStringList out;
    for (const QString& line : outline)
        if (line.startsWith(prefix + " "))
            out << line.mid(prefix.size() + 1);
    return out;
}

} // namespace

TEST(ExportText, RoundsHalvesToEvenAndSplitsNames)
{
    const struct {
        double value;
        long long rounded;
    } rounding[] = {{0.3, 0}, {0.5, 0}, {1.5, 2}, {2.5, 2}, {2.51, 3}, {45, 45}, {-0.5, 0}, {112.49, 112}};
    for (const auto& c : rounding)
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
    const struct {
        const char *name, *surname, *first;
    } names[] = {{"POP ION", "POP", "ION"}, {"POP ION VASILE", "POP", "ION VASILE"}, {"ION", "", "ION"}, {"", "", ""}};
    for (const auto& c : names) {
        EXPECT_EQ(SplitName(c.name).surname, c.surname) << c.name;
        EXPECT_EQ(SplitName(c.name).firstNames, c.first) << c.name;
    }
    EXPECT_EQ(GeneralNumber(1600), "1600");
    EXPECT_EQ(GeneralNumber(250.0 / 320 * 100), "78.125");
    EXPECT_EQ(GeneralNumber(112.5), "112.5");
}

class AnpisExportTest : public ReportsTest {};

TEST_F(AnpisExportTest, MonthFileMatchesTheLayoutAndTheSchema)
{
    const QString holder = ValidCnp("180010112345");
    const QString electricHolder = ValidCnp("279030412345");
    // 1: children counts, 1600 of 320 a month, a supplement that rounds to 0.
    AddApplication(1, "01.2024", {{"NR_CERE", "30"}, {"CNP", '"' + holder + '"'}, {"TITULAR", "\"POP ION VASILE\""},
                                  {"COPII14", "1"}, {"COPII18", "2"}, {"NR_MEMBRI", "5"}, {"SUMAE", "0.3"},
                                  {"STCIV", "\"C\""}, {"SITPROF", "\"pensionar\""}, {"TVENIT", "900"},
                                  {"VENITM", "180"}, {"NRCAM", "3"}, {"NR_DISP", "\"12\""},
                                  {"DATADISP", "\"10.01.2024\""}, {"LOCALIT", "\"Ighiu\""}, {"ADRESA", "\"Str. Mare 4\""}});
    AddMember(1, 1, "POP ION VASILE", holder, "beneficiar", 450.5);
    AddMember(2, 1, "MARIA", ValidCnp("280010112345"), "partener", 449.5);
    // 2: all four supplements, the electricity holder differs; rejected but TOTAL > 0.
    AddApplication(2, "01.2024", {{"NR_CERE", "10"}, {"CNP", '"' + ValidCnp("170010112345") + '"'},
                                  {"TITULAR", "\"ANA MARIA\""}, {"STATUT", "\"RESPINS\""}, {"TOTAL", "250"},
                                  {"SUMAL", "20"}, {"SUMAE", "45"}, {"SUMAG", "10"}, {"SUMAT", "30"},
                                  {"CNPE", '"' + electricHolder + '"'}, {"FURNE", "\"ELECTRICA\""},
                                  {"PODE", "\"POD1\""}, {"CODCLE", "\"CL1\""}, {"CNPG", '"' + holder + '"'},
                                  {"FURNG", "\"ENGIE\""}, {"PODG", "\"POD2\""}, {"CODCLG", "\"CL2\""},
                                  {"CNPT", '"' + holder + '"'}, {"FURNT", "\"TERMO\""}, {"CODCLT", "\"CL3\""}});
    // 3: no total: not exported. 4: another month: not exported.
    AddApplication(3, "01.2024", {{"TOTAL", "0"}, {"CNP", '"' + holder + '"'}});
    AddApplication(4, "02.2024", {{"CNP", '"' + holder + '"'}});

    const AnpisOutcome outcome = WriteAnpisXml("01.2024", OutFolder());
    EXPECT_EQ(outcome.file, OutFolder() + "/Date_4562443v2.xml");
    EXPECT_EQ(outcome.applications, 2);
    EXPECT_EQ(outcome.persons, 2);
    EXPECT_EQ(outcome.cleanedValues, 0);
    EXPECT_EQ(SchemaProblems("anpis.xsd", outcome.file), QString());

    QFile file(outcome.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readLine().startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    const QStringList outline = XmlOutline(outcome.file);
    EXPECT_EQ(Elements(outline, "0 date"),
              QStringList{"judet=ALBA|cifuat=4562443|primaria=Comuna Ighiu|nrCereri=2|anul=2024|luna=01"});
    // Ordered by NR_CERE: application 2 (number 10) first.
    EXPECT_EQ(Elements(outline, "1 cereri"),
              (QStringList{"idCerere=1|nrinreg=10|datareg=05.01.2024|cnpt=" + ValidCnp("170010112345")
                               + "|titcont=ANA MARIA|iban=|banca=|datacer=05.01.2024|nrcop=0|nrmaj=1",
                           "idCerere=2|nrinreg=30|datareg=05.01.2024|cnpt=" + holder
                               + "|titcont=POP ION VASILE|iban=|banca=|datacer=05.01.2024|nrcop=3|nrmaj=2"}));
    EXPECT_EQ(Elements(outline, "2 cereriAdr").value(1),
              "localitate=Ighiu|strada=Str. Mare 4|numar=|bl=|sc=|et=|ap=|sector=|email=|telefon=|modloc=casa cu "
              "curte|nrcam=3|rjloc=proprietate personala|provloc=mostenire|tiploc=TIP B");
    EXPECT_EQ(Elements(outline, "2 cereriAprb").value(1), "nrmembri=5|vt=900|vm=180");
    EXPECT_EQ(Elements(outline, "3 drepturiAI"),
              (QStringList{"cnpctr=" + ValidCnp("170010112345")
                               + "|tipaj=lemne|furnizor=|codabonat=|codloc=|procent=78.125|valref=250|nrdisp=|datadisp=",
                           "cnpctr=" + holder
                               + "|tipaj=lemne|furnizor=|codabonat=|codloc=|procent=500|valref=1600|nrdisp=12|datadisp=10.01.2024"}));
    EXPECT_EQ(Elements(outline, "3 drepturiSup"),
              (QStringList{"cnpctr=" + ValidCnp("170010112345")
                               + "|tipaj=lemne|furnizor=|codabonat=|codloc=|suma=20|nrdisp=|datadisp=",
                           "cnpctr=" + electricHolder
                               + "|tipaj=electric|furnizor=ELECTRICA|codabonat=POD1|codloc=CL1|suma=45|nrdisp=|datadisp=",
                           "cnpctr=" + holder + "|tipaj=gaz|furnizor=ENGIE|codabonat=POD2|codloc=CL2|suma=10|nrdisp=|datadisp=",
                           "cnpctr=" + holder + "|tipaj=termica|furnizor=TERMO|codabonat=|codloc=CL3|suma=30|nrdisp=|datadisp="}))
        << "application 1's 0.3 electricity rounds to 0 and is left out";
    EXPECT_EQ(Elements(outline, "2 persoane"), (QStringList{"nrpersoane=0|venitpers=0", "nrpersoane=2|venitpers=900"}))
        << "450.5 and 449.5 round to even: 450 + 450";
    EXPECT_EQ(Elements(outline, "3 persoaneM"),
              (QStringList{"cnp=" + holder
                               + "|nume=POP|prenume=ION VASILE|tipci=CI|serie=.|nrci=.|elibci=SPCLEP|stareciv=C|sprof=pensionar|hand=NU|reltit=Titular|venit=450.5",
                           "cnp=" + ValidCnp("280010112345")
                               + "|nume=|prenume=MARIA|tipci=CI|serie=.|nrci=.|elibci=SPCLEP|hand=NU|reltit=partener|venit=449.5"}));
    EXPECT_EQ(Elements(outline, "2 venituri"), (QStringList{"lunav=12|vt=0", "lunav=12|vt=900"}));
    EXPECT_EQ(Elements(outline, "3 venituriC"), (QStringList{"codv=31|sumav=0", "codv=31|sumav=900"}));
}

TEST_F(AnpisExportTest, ControlCharactersAreDroppedAndCounted)
{
    const QString name = QString("POP") + QChar(0x01) + " ION";
    Db().exec(("INSERT INTO " + quotedTable("Cereri.dbf")
               + " (NRCRT, LUNACRT, NR_CERE, TOTAL, TITULAR, CNP, ADRESA) VALUES (1, "
               + QString::number(MonthToSerial("03.2024")) + ", 1, 100, \"" + name + "\", \""
               + ValidCnp("180010112345") + "\", \"Str" + QChar(0x1F) + "\")")
                  .toStdString());
    const AnpisOutcome outcome = WriteAnpisXml("03.2024", OutFolder());
    EXPECT_EQ(outcome.cleanedValues, 2);
    const QStringList outline = XmlOutline(outcome.file);
    EXPECT_TRUE(Elements(outline, "1 cereri").value(0).contains("|titcont=POP ION|")) << outline.join('\n').toStdString();
    EXPECT_TRUE(Elements(outline, "2 cereriAdr").value(0).contains("|strada=Str|"));
}

TEST_F(AnpisExportTest, RefusesAMonthWithoutAidAndKeepsAnEarlierFile)
{
    AddApplication(1, "01.2024", {{"TOTAL", "0"}});
    const QString existing = OutFolder() + "/Date_4562443v2.xml";
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("earlier");
    f.close();
    try {
        WriteAnpisXml("01.2024", OutFolder());
        FAIL() << "a month without aid is refused";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.heading(), "Export ANPIS");
        EXPECT_EQ(e.message(), "\nNu aveti nicio cerere aprobata!");
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "earlier");
}
