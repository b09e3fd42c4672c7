#include "reports/DecisionReference.h"

#include "data/Db.h"
#include "data/Files.h"

#include <QFile>

#include <stdexcept>

void DropTemporaryTable(const QString& path)
{
    if (path.isEmpty() || !QFile::exists(path))
        return;
    try {
        Db().exec(sqlLines({"DROP TABLE " + quotedPath(path)}));
    } catch (const std::exception&) {
        QFile::remove(path);
    }
}

QString DecisionReferenceText(const QString& number, const QDate& date)
{
    const QString dateText = date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    if (number.trimmed().isEmpty() && dateText.isEmpty())
        return QString();
    return number.trimmed() + "/" + dateText;
}

DecisionReferenceTable::DecisionReferenceTable()
    : m_path(FreshTempFile(QStringLiteral("AJVPS"), QStringLiteral(".dbf")))
{
    if (m_path.isEmpty())
        throw std::runtime_error("Nu pot crea tabela temporara AJVPS in directorul temporar.");
    const QString table = quotedPath(m_path);
    try {
        Db().exec(sqlLines({"CREATE TABLE " + table, "(NRCRT DECIMAL(12,0), NRD CHAR(16), DATAD DATE, NR_DISP CHAR(27))"}));
        auto transaction = Db().beginTransaction();
        // "+" joins text and writes a date as "dd.MM.yyyy"; a missing part
        // counts as empty text, so an unnumbered row gets "/" and is emptied.
        Db().exec(sqlLines({"INSERT INTO " + table, "(NRCRT, NRD, DATAD, NR_DISP)",
                            "SELECT NRCRT, NR_DISP, DATADISP, NR_DISP+\"/\"+DATADISP",
                            "FROM " + quotedTable("Cereri.dbf")}));
        Db().exec(sqlLines({"UPDATE " + table, "SET NR_DISP=\"\"", "WHERE NR_DISP=\"/\""}));
        transaction.commit();
    } catch (...) {
        DropTemporaryTable(m_path);
        throw;
    }
}

DecisionReferenceTable::~DecisionReferenceTable()
{
    DropTemporaryTable(m_path);
}
