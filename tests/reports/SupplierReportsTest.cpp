// The three supplier layouts written from one set of applications and read
// back by independent readers: which households each file lists, in which
// folder and file, and what each cell holds.
#include "SupplierFixture.h"

#include "documents/SpreadsheetOutput.h"
#include "reports/SupplierReports.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace hestavo;

namespace {

struct ExpectedCell {
    const char* why;
    const char* cell;      // file below the output folder + "!" + cell
    const char* value;     // "" when the cell must be empty
};

// The edge cases of the three layouts, each a cell of a written file.
const ExpectedCell kCells[] = {
    // Format AJPIS (03.2024): one folder per supplier, numbered from 1 in each.
    {"first sheet only", "E.ON GAZ/Anexa16.xls!sheets", "1"},
    {"county code, three spaces, county", "E.ON GAZ/Anexa16.xls!A1", "JUDEȚUL: 04   BACAU"},
    {"town hall", "E.ON GAZ/Anexa16.xls!A2", "U.A.T.: Comuna Ighiu"},
    {"shipped electricity form, month and year", "E.ON GAZ/Anexa16.xls!A5",
     "beneficiarilor suplimentului pentru energie - energie electrică, pentru luna 03 anul 2024"},
    {"numbered from 1", "E.ON GAZ/Anexa16.xls!A10", "1"},
    {"holder", "E.ON GAZ/Anexa16.xls!B10", "POPESCU"},
    {"locality before address", "E.ON GAZ/Anexa16.xls!D10", "IGHIU STR. MARE 1"},
    {"client code stays text", "E.ON GAZ/Anexa16.xls!E10", "0012"},
    {"decision reference", "E.ON GAZ/Anexa16.xls!I10", "12/03.01.2024"},
    {"amount", "E.ON GAZ/Anexa16.xls!J10", "50"},
    {"refused application not listed", "E.ON GAZ/Anexa16.xls!A11", "TOTAL"},
    {"mayor", "E.ON GAZ/Anexa16.xls!D13", "ION POP"},
    {"gas annex beside", "E.ON GAZ/Anexa15.xls!E10", "G77"},
    {"gas amount", "E.ON GAZ/Anexa15.xls!J10", "100"},
    {"total row covers the copies", "ENEL_SUD D_EST/Anexa16.xls!J12", "100"},
    {"'/' and apostrophe cleaned, numbered from 1", "ENEL_SUD D_EST/Anexa16.xls!A10", "1"},
    {"ordered by holder", "ENEL_SUD D_EST/Anexa16.xls!B10", "ABA BOGDAN"},
    {"second row", "ENEL_SUD D_EST/Anexa16.xls!A11", "2"},
    {"second holder", "ENEL_SUD D_EST/Anexa16.xls!B11", "ION MARIA ANA"},
    {"name cleaning to the same folder gets _2", "ENEL_SUD D_EST_2/Anexa16.xls!B10", "ZETA ION"},
    {"numbered from 1 in its own folder", "ENEL_SUD D_EST_2/Anexa16.xls!A10", "1"},
    {"a name of dots does not name the parent folder", "_../Anexa15.xls!B10", "PUNCT"},
    // E-On (03.2024, "E.ON GAZ").
    {"header kept", "eon/Suplimente_Electrica.xlsx!AA1", "Luna Ajutor"},
    {"town hall", "eon/Suplimente_Electrica.xlsx!B2", "Comuna Ighiu"},
    {"decision number alone", "eon/Suplimente_Electrica.xlsx!C2", "12"},
    {"total aid", "eon/Suplimente_Electrica.xlsx!D2", "50"},
    {"state aid", "eon/Suplimente_Electrica.xlsx!E2", "50"},
    {"local aid", "eon/Suplimente_Electrica.xlsx!F2", "0"},
    {"client code", "eon/Suplimente_Electrica.xlsx!G2", "0012"},
    {"electricity client kind", "eon/Suplimente_Electrica.xlsx!J2", "8010"},
    {"one-word name goes to Nume", "eon/Suplimente_Electrica.xlsx!K2", "POPESCU"},
    {"one-word name leaves Prenume empty", "eon/Suplimente_Electrica.xlsx!L2", ""},
    {"county", "eon/Suplimente_Electrica.xlsx!N2", "BACAU"},
    {"postal code of the locality", "eon/Suplimente_Electrica.xlsx!O2", "517360"},
    {"street", "eon/Suplimente_Electrica.xlsx!R2", "STR. MARE 1"},
    {"members", "eon/Suplimente_Electrica.xlsx!Y2", "3"},
    {"income as text", "eon/Suplimente_Electrica.xlsx!Z2", "500.5"},
    {"Luna Ajutor of 03.2024", "eon/Suplimente_Electrica.xlsx!AA2", "202403"},
    {"refused application not listed", "eon/Suplimente_Electrica.xlsx!B3", ""},
    {"gas client kind", "eon/Suplimente_Gaz.xlsx!J2", "1010"},
    {"gas amount", "eon/Suplimente_Gaz.xlsx!D2", "100"},
    {"three-word gas holder: first word", "eon/Suplimente_Gaz.xlsx!H2", "ION"},
    {"three-word gas holder: the rest", "eon/Suplimente_Gaz.xlsx!I2", "MARIA ANA"},
    {"gas consumption place", "eon/Suplimente_Gaz.xlsx!W2", "PODG1"},
    // E-On for a name with "/" and an apostrophe: filtered on the name itself.
    {"apostrophe supplier, first row", "enel/Suplimente_Electrica.xlsx!K2", "ABA"},
    {"three-word beneficiary: first word", "enel/Suplimente_Electrica.xlsx!K3", "ION"},
    {"three-word beneficiary: the rest", "enel/Suplimente_Electrica.xlsx!L3", "MARIA ANA"},
    {"second locality's code", "enel/Suplimente_Electrica.xlsx!O3", "517365"},
    {"no gas rows: header only", "enel/Suplimente_Gaz.xlsx!B2", ""},
    // CEZ (01.2024): file named from county code, SIRUTA and month.
    {"running number", "cez/S_EE_04_20297_01_2024.xls!A2", "1"},
    {"ordered by holder", "cez/S_EE_04_20297_01_2024.xls!B2", "ALFA ION"},
    {"second row", "cez/S_EE_04_20297_01_2024.xls!A3", "2"},
    {"holder", "cez/S_EE_04_20297_01_2024.xls!B3", "BETA ANA"},
    {"client code", "cez/S_EE_04_20297_01_2024.xls!J3", "K1"},
    {"consumption place", "cez/S_EE_04_20297_01_2024.xls!K3", "KP1"},
    {"members", "cez/S_EE_04_20297_01_2024.xls!L3", "2"},
    {"household income", "cez/S_EE_04_20297_01_2024.xls!M3", "900"},
    {"decision number", "cez/S_EE_04_20297_01_2024.xls!N3", "3"},
    {"state budget", "cez/S_EE_04_20297_01_2024.xls!O3", "40"},
    {"local budget", "cez/S_EE_04_20297_01_2024.xls!P3", "0"},
    {"fiscal code", "cez/S_EE_04_20297_01_2024.xls!Q3", "4562443"},
};

QStringList Summary(const QList<SupplierReportFile>& files, const QString& folder)
{
    QStringList out;
    for (const SupplierReportFile& f : files)
        out << QDir(folder).relativeFilePath(f.path) + " " + QString::number(f.rows) + " " + QString::number(f.total);
    return out;
}

} // namespace

TEST_F(SupplierTest, LayoutsHoldTheRightHouseholdsInTheRightCells)
{
    const QString out = OutFolder();
    // The user's editable copy of Annex 16 differs (here it is the gas form):
    // the supplier annexes come from the shipped form all the same.
    ASSERT_TRUE(QFile::copy(QString(HESTAVO_SOURCE_DIR) + "/resources/templates/Anexa15.xls",
                            m_dir.path() + "/Data/Anexa16.xls"));
    const QList<SupplierReportFile> annexes = WriteSupplierAnnexes("03.2024", out);
    EXPECT_EQ(Summary(annexes, out),
              QStringList({"E.ON GAZ/Anexa16.xls 1 50", "ENEL_SUD D_EST/Anexa16.xls 2 100",
                           "ENEL_SUD D_EST_2/Anexa16.xls 1 20", "_../Anexa15.xls 1 5", "E.ON GAZ/Anexa15.xls 1 100"}));
    EXPECT_EQ(Summary(WriteEonReport("03.2024", "E.ON GAZ", PostalCodes("03.2024"), out + "/eon"), out),
              QStringList({"eon/Suplimente_Electrica.xlsx 1 50", "eon/Suplimente_Gaz.xlsx 1 100"}));
    EXPECT_EQ(Summary(WriteEonReport("03.2024", "ENEL/SUD D'EST", PostalCodes("03.2024"), out + "/enel"), out),
              QStringList({"enel/Suplimente_Electrica.xlsx 2 100", "enel/Suplimente_Gaz.xlsx 0 0"}));
    EXPECT_EQ(Summary(WriteCezReport("01.2024", "CEZ VANZARE", "20297", out + "/cez"), out),
              QStringList({"cez/S_EE_04_20297_01_2024.xls 2 100"}));

    const QMap<QString, QString> cells = Cells(out);
    for (const ExpectedCell& e : kCells)
        EXPECT_EQ(cells.value(QString::fromUtf8(e.cell)), QString::fromUtf8(e.value)) << e.why << ": " << e.cell;
    // Nothing but the workbooks: no side files left by the writing.
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        EXPECT_FALSE(it.key().endsWith("!other")) << it.value().toStdString();
    // A supplier without gas rows gets no gas annex.
    EXPECT_FALSE(cells.contains("ENEL_SUD D_EST/Anexa15.xls!sheets"));
}

TEST_F(SupplierTest, EonWorkbookOpensInLibreOffice)
{
    const QString out = OutFolder();
    WriteEonReport("03.2024", "ENEL/SUD D'EST", PostalCodes("03.2024"), out);
    const QString csv = m_dir.path() + "/csv";
    QProcess office;
    office.start("soffice", {"-env:UserInstallation=file://" + m_dir.path() + "/lo", "--headless", "--convert-to",
                             "csv", "--outdir", csv, out + "/Suplimente_Electrica.xlsx"});
    ASSERT_TRUE(office.waitForFinished(240000));
    ASSERT_EQ(office.exitCode(), 0) << office.readAllStandardError().toStdString();
    QFile converted(csv + "/Suplimente_Electrica.csv");
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(converted.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("CRC,Primarie,Nr Dispozitie")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("ABA,BOGDAN")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(",ION,MARIA ANA,")) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].trimmed().endsWith(",202403")) << lines[2].toStdString();
}

TEST_F(SupplierTest, OnlyTheNamedSuppliersGetFolders)
{
    const QList<SupplierReportFile> files = WriteSupplierAnnexes("03.2024", OutFolder(), {"ENEL_SUD D_EST"});
    EXPECT_EQ(Summary(files, OutFolder()), QStringList({"ENEL_SUD D_EST_2/Anexa16.xls 1 20"}));
}

TEST_F(SupplierTest, ProgressStepsEveryFiftyRows)
{
    for (int k = 0; k < 120; ++k)
        AddApplication(100 + k, "02.2024",
                       {{"TITULAR", "\"T" + QString::number(1000 + k) + "\""}, {"FURNE", "\"CEZ\""}, {"SUMAE", "10"}});
    QStringList seen;
    int steps = 0;
    SupplierProgress progress{[&](const QString& text, int maximum) { seen << text + " " + QString::number(maximum); },
                              [&] { ++steps; }};
    const QList<SupplierReportFile> files = WriteCezReport("02.2024", "CEZ", "20297", OutFolder(), progress);
    EXPECT_EQ(seen, QStringList({"Creez Raport CEZ - Suplimente Electrica... 2"}));
    EXPECT_EQ(steps, 2);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].rows, 120);
    EXPECT_EQ(files[0].total, 1200);
}
