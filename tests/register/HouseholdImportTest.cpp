// The VMG and ASF imports on archives of related registers built in the test
// by independent writers (python3-dbf for the tables, the reference archive
// writer for the archive): the selection and mapping rules, the replacement
// of the month's earlier imports, refusals that change nothing, and the
// transaction that undoes a failed import.
#include "Fixture.h"

#include "data/Files.h"
#include "register/HouseholdImport.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/HouseholdImportCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace hestavo;

namespace {

constexpr long kSerial = 24300; // the working month of the tests

const char* kVmgCereri = "IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); "
                         "CNP C(13); LOCALIT C(40); STR C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); "
                         "APART C(5); NRMEMBRI N(7,0); VENITP N(10,2); VENITV N(10,2); VENITA N(10,2); ASF C(1); "
                         "STCIV C(2); SITSCOL C(2)";
const char* kVmgOameni = "IDCERERE N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMP N(10,2); "
                         "CUANTUMA N(10,2); RUDACOD N(2,0)";
const char* kAsfCereri = "IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); "
                         "CNP C(13); LOCALIT C(40); STRADA C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); "
                         "APT C(5); L416 C(1); STCIV C(2); SITSCOL C(2); NRCAMERE N(3,0); ASIG C(1)";
const char* kAsfAnchete = "IDANCHET N(10,0); IDCERERE N(10,0); LADATA D";
const char* kAsfOameni = "IDANCHET N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMA N(10,2); RUDACOD N(2,0)";

QJsonArray rowsOf(std::initializer_list<QJsonArray> rows)
{
    QJsonArray a;
    for (const QJsonArray& r : rows)
        a.append(r);
    return a;
}

// Minimum-income applications: 2 and 1 are taken (in CERENR order), the
// others fail one selection rule each.
QJsonObject vmgDatabase()
{
    QJsonObject db;
    db["Cereri.dbf"] = QJsonObject{
        {"fields", kVmgCereri},
        {"rows", rowsOf({
                     {1, 20, "2024-10-02", "APROBATA", "L", "POP ION", "1800101123456", "DEJ", "Florilor", "12", "", "", "", "3", 3, 100.5, 150, 50, "X", "CA", "NU"},
                     {2, 10, "2024-10-01", "APROBATA", "L", "RUS ANA", "2800101123456", "DEJ", "", "5", "", "", "", "", 1, 0, 0, 0, "", "NE", ""},
                     {3, 30, "2024-10-03", "APROBATA", "G", "GAZ VASILE", "", "DEJ", "", "", "", "", "", "", 1, 0, 0, 0, "", "", ""},
                     {4, 40, "2024-10-04", "INCETATA", "L", "STOP IOANA", "", "DEJ", "", "", "", "", "", "", 1, 0, 0, 0, "", "", ""},
                     {5, 50, "2024-10-05", "APROBATA", "L", "FARA MEMBRI", "", "DEJ", "", "", "", "", "", "", 1, 0, 0, 0, "", "", ""},
                 })}};
    db["Oameni.dbf"] = QJsonObject{
        {"fields", kVmgOameni},
        {"rows", rowsOf({
                     {1, "POP ION", "1800101123456", 100, 50, 25.5, 1},
                     {1, "POP MARIA", "2800101123456", 10, 0, 0, 3},
                     {1, "POP BUNICA", "2400101123456", 5, 0, 0, 7},
                     {2, "RUS MIHAI", "5100101123456", 0, 0, 0, 4},
                     {2, "RUS ANA", "2800101123456", 60, 0, 0, 1},
                     {3, "GAZ VASILE", "", 1, 0, 0, 1},
                     {4, "STOP IOANA", "", 1, 0, 0, 1},
                 })}};
    return db;
}

// Family-allowance applications: 7 has two inquiries (the later one counts),
// 8 has two inquiries of one date (the higher key counts), 9 is not active.
QJsonObject asfDatabase()
{
    QJsonObject db;
    db["Cereri.dbf"] = QJsonObject{
        {"fields", kAsfCereri},
        {"rows", rowsOf({
                     {7, 70, "2024-09-01", "ACTIVA", "L", "LUP DAN", "1700101123456", "DEJ", "Lunga", "1", "A2", "B", "3", "14", "X", "CA", "DA", 2, "X"},
                     {8, 80, "2024-09-02", "ACTIVA", "L", "OS ANA", "", "DEJ", "", "", "", "", "", "", "", "", "", 1, ""},
                     {9, 90, "2024-09-03", "SUSPENDATA", "L", "NU EU", "", "DEJ", "", "", "", "", "", "", "", "", "", 1, ""},
                 })}};
    db["Anchete.dbf"] = QJsonObject{
        {"fields", kAsfAnchete},
        {"rows", rowsOf({{100, 7, "2024-01-10"}, {101, 7, "2024-02-15"}, {200, 8, "2024-03-01"}, {201, 8, "2024-03-01"}, {300, 9, "2024-03-01"}})}};
    db["Oameni.dbf"] = QJsonObject{
        {"fields", kAsfOameni},
        {"rows", rowsOf({
                     {100, "LUP DAN", "", 1, 1, 1}, {100, "LUP VECHI", "", 1, 1, 2}, {100, "LUP PLECAT", "", 1, 1, 4},
                     {101, "LUP DAN", "", 200, 10.25, 1}, {101, "LUP IONUT", "", 0, 300, 4},
                     {200, "OS VECHI", "", 9, 9, 1},
                     {201, "OS ANA", "", 50, 0, 1},
                     {300, "NU EU", "", 1, 1, 1},
                 })}};
    return db;
}

class HouseholdImportTest : public DataFolderTest {
protected:
    // Writes the tables with python3-dbf and packs them with the reference
    // archive writer; tables left out of `only` (when given) are not packed.
    QString Archive(const QJsonObject& database, const QString& name, const QStringList& only = {})
    {
        const QString folder = m_dir.path() + "/src_" + name;
        QDir().mkpath(folder);
        QFile tables(folder + ".json");
        EXPECT_TRUE(tables.open(QIODevice::WriteOnly));
        tables.write(QJsonDocument(database).toJson());
        tables.close();
        QProcess writer;
        writer.start(HESTAVO_PYTHON, {HESTAVO_SOURCE_DIR "/tests/register/register_fixture.py", tables.fileName(), folder});
        writer.waitForFinished(60000);
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
        QStringList files;
        for (const QString& table : database.keys())
            if (only.isEmpty() || only.contains(table))
                files << folder + "/" + table;
        const QString archive = m_dir.path() + "/" + name;
        QProcess packer;
        packer.start(HESTAVO_PYTHON, QStringList{HESTAVO_SOURCE_DIR "/tests/backup/archive_reference.py", "pack", archive} + files);
        packer.waitForFinished(60000);
        EXPECT_EQ(packer.exitCode(), 0) << packer.readAllStandardError().toStdString();
        return archive;
    }

    static void Insert(int key, long month, const char* l416, const char* asf)
    {
        Exec(QString("INSERT INTO %1 (NRCRT, LUNACRT, TITULAR, L416, ASF) VALUES (%2, %3, \"MANUAL %2\", \"%4\", \"%5\")")
                 .arg(quotedTable("Cereri.dbf")).arg(key).arg(month).arg(l416, asf));
        Exec(QString("INSERT INTO %1 (NROM, NRCRT, TITULAR) VALUES (%2, %2, \"MEMBRU %2\")").arg(quotedTable("Oameni.dbf")).arg(key));
    }

    // "NAME|column=value|..." for the month's applications in key order.
    static QStringList Applications(const QString& columns)
    {
        QStringList out;
        auto rs = Db().open(("SELECT " + columns + " FROM " + quotedTable("Cereri.dbf") + " WHERE LUNACRT=" +
                             QString::number(kSerial) + " ORDER BY NRCRT").toStdString());
        const auto names = rs->columnNames();
        for (rs->first(); !rs->eof(); rs->next()) {
            QStringList values;
            for (const std::string& c : names)
                values << QString::fromStdString(rs->text(c));
            out << values.join('|');
        }
        return out;
    }

    static QStringList Members(const QString& titular)
    {
        QStringList out;
        auto rs = Db().open(("SELECT B.TITULAR, B.VENIT, B.CALITATE FROM " + quotedTable("Cereri.dbf") + " A JOIN " +
                             quotedTable("Oameni.dbf") + " B ON A.NRCRT=B.NRCRT WHERE A.TITULAR=\"" + titular +
                             "\" ORDER BY B.NROM").toStdString());
        for (rs->first(); !rs->eof(); rs->next())
            out << QString::fromStdString(rs->text("TITULAR") + "|" + rs->text("VENIT") + "|" + rs->text("CALITATE"));
        return out;
    }
};

TEST(ImportRules, AddressAndRole)
{
    const struct {
        QStringList parts; // street, number, block, staircase, floor, apartment
        QString address;
    } addresses[] = {
        {{"Florilor", "12", "", "", "", "3"}, "STR.FLORILOR NR.12 AP.3"},
        {{"", "5", "", "", "", ""}, "NR.5"},
        {{"Lunga  Mare", "1", "A2", "B", "3", "14"}, "STR.LUNGA MARE NR.1 BL.A2 SC.B ET.3 AP.14"},
        {{"Zid \"Vechi\"", "", "", "", "", ""}, "STR.ZID VECHI"},
        {{"", "", "", "", "", ""}, ""},
    };
    for (const auto& a : addresses)
        EXPECT_EQ(ImportedAddress(a.parts[0], a.parts[1], a.parts[2], a.parts[3], a.parts[4], a.parts[5]), a.address)
            << a.parts.join(",").toStdString();
    const std::pair<int, const char*> roles[] = {{1, "beneficiar"}, {2, "partener"}, {3, "partener"}, {4, "copil"}, {7, "adult"}, {0, "adult"}};
    for (const auto& [code, role] : roles)
        EXPECT_EQ(RoleForRelation(code), role) << code;
}

TEST_F(HouseholdImportTest, VmgImportReplacesTheMonthsL416Applications)
{
    Insert(1, kSerial, "X", "");      // typed by hand with "VMG" ticked: removed
    Insert(2, kSerial, "", "");       // kept
    Insert(3, kSerial - 1, "X", "");  // another month: kept
    SetKey("NRCRT", 50);
    SetKey("NROM", 500);
    const QString archive = Archive(vmgDatabase(), "vmg.416");
    for (int pass = 0; pass < 2; ++pass) { // importing twice leaves one copy
        const ImportResult r = ImportHouseholds(ImportKind::Vmg, archive, kSerial);
        ASSERT_TRUE(r.imported) << r.error.toStdString();
        EXPECT_EQ(r.applications, 2);
        EXPECT_EQ(r.members, 5);
        EXPECT_EQ(r.replacedApplications, pass == 0 ? 1 : 2);
    }
    EXPECT_EQ(Applications("TITULAR, L416, ASF"), QStringList({"MANUAL 2||", "RUS ANA|X|", "POP ION|X|X"}));
    EXPECT_EQ(Applications("LUNADEC, ADRESA, NR_MEMBRI, TVENIT, NR_CERE, DATACERE, STCIV, SITSCOL, NRCAM, CUANTUM, "
                           "NR_LUNI, NR_DISP, STATUT, CUAJUT, MODPLATA")
                  .mid(1),
              QStringList({"24301|NR.5|1|0|10|01.10.2024|NE||0|0|5|0|APROBAT|X|CEC",
                           "24301|STR.FLORILOR NR.12 AP.3|3|300.5|20|02.10.2024|CA|NU|0|0|5|0|APROBAT|X|CEC"}));
    EXPECT_EQ(Members("POP ION"), QStringList({"POP ION|175.5|beneficiar", "POP MARIA|10|partener", "POP BUNICA|5|adult"}));
    EXPECT_EQ(Members("RUS ANA"), QStringList({"RUS ANA|60|beneficiar", "RUS MIHAI|0|copil"}));
    EXPECT_EQ(Count("Cereri.dbf", "LUNACRT=" + QString::number(kSerial - 1)), 1);
    EXPECT_EQ(Count("Oameni.dbf"), 2 + 5); // the kept applications' members and one import's
    // Keys came from the counters: the second import took 52-53 and 505-509.
    EXPECT_EQ(Applications("NRCRT").mid(1), QStringList({"52", "53"}));
    EXPECT_EQ(PeekKey("NROM"), 510);
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Import date din L416.\""), 2);
}

TEST_F(HouseholdImportTest, AsfImportTakesTheLatestInquirysMembers)
{
    Insert(1, kSerial, "", "X");
    const ImportResult r = ImportHouseholds(ImportKind::Asf, Archive(asfDatabase(), "asf.as2"), kSerial);
    ASSERT_TRUE(r.imported) << r.error.toStdString();
    EXPECT_EQ(r.replacedApplications, 1);
    EXPECT_EQ(Applications("TITULAR, ADRESA, NR_MEMBRI, TVENIT, L416, ASF, NRCAM, ASIG, STCIV, SITSCOL"),
              QStringList({"LUP DAN|STR.LUNGA NR.1 BL.A2 SC.B ET.3 AP.14|2|510.25|X|X|2|X|CA|DA",
                           "OS ANA||1|50||X|1|||"}));
    EXPECT_EQ(Members("LUP DAN"), QStringList({"LUP DAN|210.25|beneficiar", "LUP IONUT|300|copil"}));
    EXPECT_EQ(Members("OS ANA"), QStringList({"OS ANA|50|beneficiar"}));
    EXPECT_EQ(Count("Log.dbf", "ACTIUNE=\"Import date din ASF.\""), 1);
}

TEST_F(HouseholdImportTest, RefusalsChangeNothing)
{
    Insert(1, kSerial, "X", "X");
    QJsonObject noActive = vmgDatabase();
    noActive["Cereri.dbf"] = QJsonObject{{"fields", kVmgCereri}, {"rows", QJsonArray()}};
    const QString vmg = Archive(vmgDatabase(), "vmg.416");
    const QByteArray whole = [&] { QFile f(vmg); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const QString truncated = m_dir.path() + "/cut.416";
    {
        QFile f(truncated);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(whole.left(whole.size() - 30));
    }
    const struct {
        const char* name;
        ImportKind kind;
        QString archive;
        QString title, error;
        long serial = kSerial;
    } cases[] = {
        {"damaged archive", ImportKind::Vmg, truncated, "Preluare L416", "Arhiva este defecta!"},
        {"missing file", ImportKind::Vmg, m_dir.path() + "/none.416", "Preluare L416", "Arhiva este defecta!"},
        {"no Oameni", ImportKind::Vmg, Archive(vmgDatabase(), "half.416", {"Cereri.dbf"}), "Preluare L416", "Baza de date L416 incompleta!"},
        {"no Anchete", ImportKind::Asf, Archive(asfDatabase(), "half.as2", {"Cereri.dbf", "Oameni.dbf"}), "Preluare ASF", "Baza de date ASF incompleta!"},
        {"no active application", ImportKind::Vmg, Archive(noActive, "empty.416"), "Preluare L416", "Baza de date nu contine nicio cerere activa!"},
        {"no working month", ImportKind::Vmg, vmg, "Preluare L416", "Alegeti mai intai o luna de la butonul Perioada!", 0},
    };
    const QByteArray cereri = [&] { QFile f(tableFile("Cereri.dbf")); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    for (const auto& c : cases) {
        resetDb();
        const ImportResult r = ImportHouseholds(c.kind, c.archive, c.serial);
        EXPECT_FALSE(r.imported) << c.name;
        EXPECT_EQ(r.title, c.title) << c.name;
        EXPECT_TRUE(r.error.startsWith(c.error)) << c.name << ": " << r.error.toStdString();
        QFile f(tableFile("Cereri.dbf"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), cereri) << c.name;
    }
    // The unpacked copies are gone.
    EXPECT_TRUE(QDir(paths().tempFolder).entryList({"VMG*", "ASF*"}, QDir::Dirs).isEmpty());
}

TEST_F(HouseholdImportTest, TablesOpenElsewhereAreNamed)
{
    const QString archive = Archive(vmgDatabase(), "vmg.416");
    // A second engine context stands for another computer with the table open.
    engine::Database other(QFile::encodeName(m_dir.path() + "/Eng").toStdString());
    engine::TableCursor cursor = other.openCursor(tableFile("Oameni.dbf").toStdString());
    const ImportResult r = ImportHouseholds(ImportKind::Vmg, archive, kSerial);
    EXPECT_FALSE(r.imported);
    EXPECT_EQ(r.error, "Tabela \"" + tableFile("Oameni.dbf") + "\" este folosita de alt proces");
    EXPECT_EQ(Count("Cereri.dbf"), 0);
}

TEST_F(HouseholdImportTest, AFailureHalfWayLeavesTheMonthAsItWas)
{
    const QString good = Archive(vmgDatabase(), "vmg.416");
    ASSERT_TRUE(ImportHouseholds(ImportKind::Vmg, good, kSerial).imported);
    const QStringList before = Applications("NRCRT, TITULAR");
    // The second application of the new archive has a household size that
    // does not fit NR_MEMBRI: the engine refuses it after the month's earlier
    // imported rows were deleted.
    QJsonObject bad = vmgDatabase();
    QJsonObject cereri = bad["Cereri.dbf"].toObject();
    QJsonArray rows = cereri["rows"].toArray();
    QJsonArray second = rows[0].toArray();
    second[14] = 9999999;
    rows[0] = second;
    cereri["rows"] = rows;
    bad["Cereri.dbf"] = cereri;
    const ImportResult r = ImportHouseholds(ImportKind::Vmg, Archive(bad, "bad.416"), kSerial);
    EXPECT_FALSE(r.imported);
    EXPECT_TRUE(r.error.contains("NR_MEMBRI")) << r.error.toStdString();
    EXPECT_EQ(Applications("NRCRT, TITULAR"), before);
    EXPECT_EQ(Count("Oameni.dbf"), 5);
}

TEST_F(HouseholdImportTest, MenuCommandShowsTheMessages)
{
    SetWorkingMonth("");
    RunHouseholdImport(nullptr, ImportKind::Vmg);
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].text, "\rAlegeti mai intai o luna de la butonul Perioada!");
    EXPECT_TRUE(testmode::choosers().isEmpty());
    SetWorkingMonth("01.2025");
    const struct {
        ImportKind kind;
        QString archive;
        QString title, text;
    } cases[] = {
        {ImportKind::Vmg, Archive(vmgDatabase(), "vmg.416"), "Import din Legea 416", "\rCererile au fost importate cu succes!"},
        {ImportKind::Asf, Archive(asfDatabase(), "asf.as2"), "Import din ASF", "\rCererile au fost importate cu succes!"},
        {ImportKind::Asf, m_dir.path() + "/none.as2", "Preluare ASF", "\rArhiva este defecta!"},
    };
    for (const auto& c : cases) {
        testmode::clear();
        testmode::answerChooser(c.archive);
        RunHouseholdImport(nullptr, c.kind);
        ASSERT_EQ(testmode::choosers().size(), 1);
        EXPECT_EQ(testmode::choosers()[0].title, c.kind == ImportKind::Vmg ? "Alegeti o Salvare L416" : "Alegeti o Salvare ASF");
        ASSERT_EQ(testmode::messages().size(), 1) << c.title.toStdString();
        EXPECT_EQ(testmode::messages()[0].title, c.title);
        EXPECT_TRUE(testmode::messages()[0].text.startsWith(c.text)) << testmode::messages()[0].text.toStdString();
    }
    // Two from VMG, two from ASF, less POP ION: marked ASF by the minimum-income
    // database, so the family-allowance import replaced it too.
    auto rs = Db().open(("SELECT TITULAR FROM " + quotedTable("Cereri.dbf") + " WHERE LUNACRT=" +
                         QString::number(MonthToSerial("01.2025")) + " ORDER BY NRCRT").toStdString());
    QStringList names;
    for (rs->first(); !rs->eof(); rs->next())
        names << QString::fromStdString(rs->text("TITULAR"));
    EXPECT_EQ(names, QStringList({"RUS ANA", "LUP DAN", "OS ANA"}));
}

} // namespace
