// Rows of Cereri and Oameni for the register's tests: a few applications per
// month written straight into the data folder's tables.
#pragma once

#include "Fixture.h"

#include "register/ApplicationRecord.h"

struct ApplicationRow {
    int key;          // NRCRT
    QString month;    // MM.YYYY
    QString name;
    QString cnp;
    QString status = QStringLiteral("APROBAT");
    int members = 2;
    double income = 400;
    int number = 1;   // NR_CERE
};

class RegisterTest : public DataFolderTest {
protected:
    static void AddRow(const ApplicationRow& r)
    {
        Exec("INSERT INTO " + quotedTable("Cereri.dbf")
             + " (NRCRT, LUNACRT, LUNADEC, TITULAR, CNP, LOCALIT, STATUT, NR_MEMBRI, TVENIT, CUAJUT, CUANTUM, NR_LUNI,"
               " TOTAL, NR_CERE, DATACERE, NR_DISP) VALUES ("
             + QString::number(r.key) + ", " + QString::number(MonthToSerial(r.month)) + ", "
             + QString::number(MonthToSerial(r.month)) + ", \"" + r.name + "\", \"" + r.cnp + "\", \"SAT\", \""
             + r.status + "\", " + QString::number(r.members) + ", " + QString::number(r.income)
             + ", \"X\", 320, 5, 1600, " + QString::number(r.number) + ", \"01.11.2024\", \"D" + QString::number(r.key)
             + "\")");
    }
    static void AddMember(int nrom, int key, const QString& name, const QString& cnp, const QString& role = "copil")
    {
        Exec("INSERT INTO " + quotedTable("Oameni.dbf") + " (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE) VALUES ("
             + QString::number(nrom) + ", " + QString::number(key) + ", \"" + name + "\", \"" + cnp + "\", 100, \""
             + role + "\")");
    }
    static QString Text(const QString& sql, const char* column)
    {
        auto rs = Db().open(sql.toStdString());
        if (rs->isEmpty())
            return QString();
        rs->first();
        return QString::fromStdString(rs->text(column));
    }
    static QStringList Column(const QString& sql, const char* column)
    {
        auto rs = Db().open(sql.toStdString());
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next())
            out << QString::fromStdString(rs->text(column));
        return out;
    }
    static QByteArray FileBytes(const QString& name)
    {
        QFile f(tableFile(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};
