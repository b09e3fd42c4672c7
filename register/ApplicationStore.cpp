#include "register/ApplicationStore.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "engine/Database.h"

#include <QFile>

namespace hestavo {

namespace {

QString Cereri() { return quotedTable(QStringLiteral("Cereri.dbf")); }
QString Oameni() { return quotedTable(QStringLiteral("Oameni.dbf")); }


} // namespace

void CreateMembersTable(const QString& path)
{
    Db().exec(sqlLines({"CREATE TABLE " + quotedPath(path), "(" + oameniColumns().join(", ") + ")"}));
}

qint64 AddApplication(const ApplicationRecord& record, const QString& tempMembersTable, int monthSerial)
{
    const qint64 key = NextKey(QStringLiteral("NRCRT"));
    QStringList columns{QStringLiteral("NRCRT"), QStringLiteral("LUNACRT"), QStringLiteral("NR_DISP")};
    QStringList values{QString::number(key), QString::number(monthSerial), QStringLiteral("\"\"")};
    for (const auto& [column, literal] : record.columnLiterals()) {
        columns << column;
        values << literal;
    }
    const QString temp = quotedPath(tempMembersTable);
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"INSERT INTO " + Cereri(), "(" + columns.join(", ") + ")", "VALUES (" + values.join(", ") + ")"}));
    Db().exec(sqlLines({"UPDATE " + temp, "SET NRCRT=" + QString::number(key)}));
    Db().exec(sqlLines({"INSERT INTO " + Oameni(), "(NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)",
                        "SELECT NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE", "FROM " + temp}));
    LogAction("Adaugare Cerere " + QString::number(record.number) + " - " + record.applicant);
    transaction.commit();
    QFile::remove(tempMembersTable);
    return key;
}

void ModifyApplication(qint64 key, const ApplicationRecord& record)
{
    QStringList assignments;
    for (const auto& [column, literal] : record.columnLiterals())
        assignments << column + "=" + literal;
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + Cereri(), "SET " + assignments.join(", "), "WHERE NRCRT=" + QString::number(key)}));
    LogAction("Modificare Cerere " + QString::number(record.number) + " - " + record.applicant);
    transaction.commit();
}

void DeleteApplication(qint64 key)
{
    const QString k = QString::number(key);
    auto row = Db().open(sqlLines({"SELECT NR_CERE, DATACERE, TITULAR", "FROM " + Cereri(), "WHERE NRCRT=" + k}));
    QString description;
    if (!row->isEmpty()) {
        row->first();
        description = QString::fromStdString(row->text("NR_CERE")) + "/" + QString::fromStdString(row->text("DATACERE"))
            + " - " + QString::fromStdString(row->text("TITULAR"));
    }
    row.reset();
    engine::Transaction transaction = Db().beginTransaction();
    LogAction("Stergere Cerere " + description);
    Db().exec(sqlLines({"DELETE FROM " + Cereri(), "WHERE NRCRT=" + k}));
    Db().exec(sqlLines({"DELETE FROM " + Oameni(), "WHERE NRCRT=" + k}));
    transaction.commit();
    DeleteApplicationDocuments(key);
}

QStringList ApplicationDocumentFiles(qint64 key)
{
    const QString folder = paths().dataFolder + "/";
    const QString k = QString::number(key);
    return {folder + "C" + k + ".rtf", folder + "CS" + k + ".rtf", folder + "A" + k + ".rtf"};
}

bool HasApplicationDocuments(qint64 key)
{
    for (const QString& f : ApplicationDocumentFiles(key))
        if (QFile::exists(f))
            return true;
    return false;
}

void DeleteApplicationDocuments(qint64 key)
{
    for (const QString& f : ApplicationDocumentFiles(key))
        QFile::remove(f);
}

} // namespace hestavo
