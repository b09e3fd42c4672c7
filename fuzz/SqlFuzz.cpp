// Local-SQL text: parsed, translated and run against a small fixture folder
// (the register's three tables with a few rows, laid anew before every
// input, named in statements as "Cereri.dbf", "Oameni.dbf" and "LOG.DBF").
// Any text must run or fail with engine::Error.
#include "ProgramFolder.h"

#include "engine/Database.h"

#include <string>

namespace {

const char* const kTables[] = {"Cereri.dbf", "Oameni.dbf", "LOG.DBF"};

const char* const kRows[] = {
    R"(INSERT INTO "Cereri.dbf" (NRCRT, LUNACRT, TITULAR, CNP, LOCALIT, NR_MEMBRI, TVENIT, TOTAL, DATACERE, STATUT)
       VALUES (1, 24266, "POPESCU ION", "1800101123456", "DEJ", 2, 1200.5, 250, "01.10.2022", "APROBAT"))",
    R"(INSERT INTO "Cereri.dbf" (NRCRT, LUNACRT, TITULAR, CNP, LOCALIT, NR_MEMBRI, TVENIT, TOTAL, STATUT)
       VALUES (2, 24266, "ŞTEFAN ANA", "2800101123456", "GHERLA", 1, 0, 0, "RESPINS"))",
    R"(INSERT INTO "Oameni.dbf" (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)
       VALUES (1, 1, "POPESCU ION", "1800101123456", 1000, "beneficiar"), (2, 1, "POPESCU MARIA", "2800101123457", 200.5, "partener"))",
};

// The fixture tables, made once with the program's own code and copied over
// the working folder before every input.
QString fixtureFolder()
{
    static const QString folder = [] {
        const QString root = fuzz::freshProgramFolder(QStringLiteral("sql-fixture"));
        for (const char* row : kRows)
            Db().exec(QString::fromUtf8(row)
                          .replace(QStringLiteral("\"Cereri.dbf\""), quotedTable(QStringLiteral("Cereri.dbf")))
                          .replace(QStringLiteral("\"Oameni.dbf\""), quotedTable(QStringLiteral("Oameni.dbf")))
                          .toStdString());
        resetDb();
        return root + "/Data";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    fixtureFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString work = [] {
        const QString folder = fuzz::freshFolder(QStringLiteral("sql"));
        QDir::setCurrent(folder);
        return folder;
    }();
    for (const char* table : kTables)
        fuzz::copyFile(fixtureFolder() + "/" + table, work + "/" + table);
    static const std::string engineFolder = fuzz::freshFolder(QStringLiteral("sql-engine")).toStdString();
    engine::Database db(engineFolder);
    const std::string statement(reinterpret_cast<const char*>(data), size);
    try {
        if (QByteArray(statement.data(), qsizetype(statement.size())).trimmed().toUpper().startsWith("SELECT")) {
            auto rs = db.open(statement);
            const auto names = rs->columnNames();
            for (rs->first(); !rs->eof(); rs->next())
                for (const std::string& name : names)
                    rs->text(name);
        } else {
            db.exec(statement);
        }
    } catch (const engine::Error&) {
    }
    return 0;
}
