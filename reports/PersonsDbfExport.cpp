#include "reports/PersonsDbfExport.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "reports/ExportError.h"

#include <QFile>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Creare DBF Persoane");
const QString kColumns = QStringLiteral("( NUME CHAR(32), CNP CHAR(13), NR_CERE DECIMAL(10,0), TIPC CHAR(24) )");

// Removes a temporary table file on every way out.
struct TempTable {
    QString path;
    ~TempTable()
    {
        if (!path.isEmpty())
            QFile::remove(path);
    }
};

QString FreshTable(const QString& stem)
{
    const QString path = FreshTempFile(stem, QStringLiteral(".dbf"));
    if (path.isEmpty())
        throw ExportError(kHeading, QStringLiteral("\nNu pot crea un fisier temporar!"));
    return path;
}

} // namespace

int ExportPersonsDbf(const QString& workingMonth, const QString& path)
{
    TempTable all{FreshTable(QStringLiteral("O"))};
    TempTable result{FreshTable(QStringLiteral("P"))};
    Db().exec(sqlLines({"CREATE TABLE " + quotedPath(result.path), kColumns}));
    Db().exec(sqlLines({"CREATE TABLE " + quotedPath(all.path), kColumns}));
    Db().exec(sqlLines({"INSERT INTO " + quotedPath(all.path), "( NUME, CNP, NR_CERE, TIPC )",
                        "SELECT A.TITULAR, A.CNP, B.NR_CERE, CAST(\"Lemne \" + A.CALITATE AS CHAR(24))",
                        "FROM " + quotedTable("Oameni.dbf") + " A,", quotedTable("Cereri.dbf") + " B",
                        "WHERE A.NRCRT=B.NRCRT", "AND B.LUNACRT=" + QString::number(MonthToSerial(workingMonth))}));
    Db().exec(sqlLines({"INSERT INTO " + quotedPath(result.path), "(NUME, CNP, NR_CERE, TIPC )",
                        "SELECT NUME, CNP, NR_CERE, MAX(TIPC)", "FROM " + quotedPath(all.path),
                        "GROUP BY NUME, CNP, NR_CERE"}));
    auto count = Db().open(sqlLines({"SELECT COUNT(*) AS N FROM " + quotedPath(result.path)}));
    count->first();
    const int rows = int(count->integer("N"));

    if (QFile::exists(path))
        QFile::remove(path);
    if (QFile::exists(path))
        throw ExportError(kHeading, QStringLiteral("\nFisierul ales este in utilizare!"));
    QString error;
    if (!MoveFileByCopy(result.path, path, &error))
        throw ExportError(kHeading, "\nFisierul " + path + " nu poate fi scris!\n" + error);
    result.path.clear();
    return rows;
}

} // namespace hestavo
