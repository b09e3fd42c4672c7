// The VMG (minimum income) or ASF (family allowance, built with
// HESTAVO_FUZZ_ASF) import: the input's first byte chooses one table of the
// source database and the rest are that table's bytes; the other tables are
// a small valid database. The tables are packed into an archive with the
// program's own writer and imported into the working month of a fresh
// register. Any table must import or be refused with a message, leaving the
// register readable.
#include "ProgramFolder.h"

#include "backup/Archive.h"
#include "register/HouseholdImport.h"

#include <QRegularExpression>

namespace {

constexpr long kSerial = 24300;

#ifdef HESTAVO_FUZZ_ASF
constexpr hestavo::ImportKind kKind = hestavo::ImportKind::Asf;
const char* const kSource[] = {
    R"(CREATE TABLE "Cereri.dbf" (IDCERERE DECIMAL(10,0), CERENR DECIMAL(10,0), CEREDATA DATE, STARE CHAR(10),
       CALDURA CHAR(1), NUME CHAR(40), CNP CHAR(13), LOCALIT CHAR(40), STRADA CHAR(40), STRNR CHAR(10), BLOC CHAR(10),
       SCARA CHAR(5), ETAJ CHAR(5), APT CHAR(5), L416 CHAR(1), STCIV CHAR(2), SITSCOL CHAR(2), NRCAMERE DECIMAL(3,0),
       ASIG CHAR(1)))",
    R"(CREATE TABLE "Anchete.dbf" (IDANCHET DECIMAL(10,0), IDCERERE DECIMAL(10,0), LADATA DATE))",
    R"(CREATE TABLE "Oameni.dbf" (IDANCHET DECIMAL(10,0), NUME CHAR(40), CNPDATA CHAR(13), CUANTUMV DECIMAL(10,2),
       CUANTUMA DECIMAL(10,2), RUDACOD DECIMAL(2,0)))",
    R"(INSERT INTO "Cereri.dbf" VALUES (7, 70, "01.09.2024", "ACTIVA", "L", "LUP DAN", "1700101123456", "DEJ", "Lunga",
       "1", "A2", "B", "3", "14", "X", "CA", "DA", 2, "X"))",
    R"(INSERT INTO "Anchete.dbf" VALUES (71, 7, "02.09.2024"))",
    R"(INSERT INTO "Oameni.dbf" VALUES (71, "LUP DAN", "1700101123456", 300, 20.5, 1), (71, "LUP IOANA", "", 0, 0, 4))",
};
const char* const kTables[] = {"Cereri.dbf", "Oameni.dbf", "Anchete.dbf"};
#else
constexpr hestavo::ImportKind kKind = hestavo::ImportKind::Vmg;
const char* const kSource[] = {
    R"(CREATE TABLE "Cereri.dbf" (IDCERERE DECIMAL(10,0), CERENR DECIMAL(10,0), CEREDATA DATE, STARE CHAR(10),
       CALDURA CHAR(1), NUME CHAR(40), CNP CHAR(13), LOCALIT CHAR(40), STR CHAR(40), STRNR CHAR(10), BLOC CHAR(10),
       SCARA CHAR(5), ETAJ CHAR(5), APART CHAR(5), NRMEMBRI DECIMAL(7,0), VENITP DECIMAL(10,2), VENITV DECIMAL(10,2),
       VENITA DECIMAL(10,2), ASF CHAR(1), STCIV CHAR(2), SITSCOL CHAR(2)))",
    R"(CREATE TABLE "Oameni.dbf" (IDCERERE DECIMAL(10,0), NUME CHAR(40), CNPDATA CHAR(13), CUANTUMV DECIMAL(10,2),
       CUANTUMP DECIMAL(10,2), CUANTUMA DECIMAL(10,2), RUDACOD DECIMAL(2,0)))",
    R"(INSERT INTO "Cereri.dbf" VALUES (1, 20, "02.10.2024", "APROBATA", "L", "POP ION", "1800101123456", "DEJ",
       "Florilor", "12", "", "", "", "3", 3, 100.5, 150, 50, "X", "CA", "NU"))",
    R"(INSERT INTO "Oameni.dbf" VALUES (1, "POP ION", "1800101123456", 100, 50, 25.5, 1), (1, "POP MARIA", "", 10, 0, 0, 3))",
};
const char* const kTables[] = {"Cereri.dbf", "Oameni.dbf"};
#endif

QString sourceFolder()
{
    static const QString folder = [] {
        const QString f = fuzz::freshFolder(QStringLiteral("import-source"));
        for (const char* statement : kSource)
            Db().exec(QString::fromUtf8(statement).replace(QRegularExpression(QStringLiteral("\"(\\w+\\.dbf)\"")),
                                                           quotedPath(f + "/\\1")).toStdString());
        resetDb();
        return f;
    }();
    return folder;
}

// The register's own tables, empty, kept aside and laid anew before each input.
QString pristineData()
{
    static const QString folder = [] {
        const QString root = fuzz::freshProgramFolder(QStringLiteral("import-register"));
        const QString copy = fuzz::freshFolder(QStringLiteral("import-pristine"));
        for (const QString& name : QDir(root + "/Data").entryList(QDir::Files))
            fuzz::copyFile(root + "/Data/" + name, copy + "/" + name);
        return copy;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    pristineData();
    sourceFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QString pack = fuzz::freshFolder(QStringLiteral("import-pack"));
    for (const char* table : kTables)
        fuzz::copyFile(sourceFolder() + "/" + table, pack + "/" + table);
    const char* chosen = kTables[data[0] % std::size(kTables)];
    fuzz::writeFile(pack + "/" + chosen, fuzz::bytesOf(data + 1, size - 1));
    const QString archive = fuzz::scratchFolder() + "/Import.L21";
    try {
        backup::WriteArchive(pack, archive, {}, 1, 1);
    } catch (const std::exception&) {
        return 0;
    }
    resetDb();
    for (const QString& name : QDir(pristineData()).entryList(QDir::Files))
        fuzz::copyFile(pristineData() + "/" + name, paths().dataFolder + "/" + name);
    hestavo::ImportHouseholds(kKind, archive, kSerial);
    // The register stays readable whatever was refused.
    Db().open(sqlLines({"SELECT COUNT(*) AS N", "FROM " + quotedTable(QStringLiteral("Cereri.dbf"))}));
    resetDb();
    return 0;
}
