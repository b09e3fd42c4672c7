// A small month of approved, modified, ended and refused applications with
// aid (TOTAL) and wood supplement (SUMAL), the town hall's settings, and the
// independent readers the payment outputs are checked with.
#pragma once

#include "Fixture.h"

#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"
#include "register/AdminValues.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

struct PaymentRow {
    const char* name;
    const char* cnp;
    const char* locality;
    const char* status;
    int members;
    const char* total;   // TOTAL, two decimals
    const char* sumal;   // SUMAL
    const char* method;  // MODPLATA
    const char* month = "12.2024";
};

// 073 (TOTAL > 0, approved or modified, 12.2024): 1600.50 + 960.25 + 320.00 = 2880.75 over 3 rows.
// 074 (SUMAL > 0): 200.75 + 150.10 = 350.85 over 2 rows. Split by method, 073: CEC 2 (1920.50), OP 1 (960.25).
inline const PaymentRow kPaymentRows[] = {
    {"POPESCU ION", "1850101123456", "SAT A", "APROBAT", 3, "1600.50", "0", "CEC"},
    {"ŞERBAN ANA-MĂRIA", "2900202223344", "SAT B", "MODIFICAT", 2, "960.25", "200.75", "OP"},
    {"IONESCU MIHAI", "1700303334455", "SAT A", "APROBAT", 1, "0", "150.10", "OP"},
    {"RUS ANA", "2800404445566", "SAT A", "INCETAT", 2, "500", "100", "CEC"},
    {"ZAMFIR DAN", "1600505556677", "SAT B", "APROBAT", 4, "320", "0", ""},
    {"MARIN ION", "1650606667788", "SAT A", "RESPINS", 1, "700", "70", "OP"},
    {"POPESCU ION", "1850101123456", "SAT A", "APROBAT", 3, "999", "99", "OP", "11.2024"},
};

class PaymentTest : public DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        int key = 1;
        for (const PaymentRow& r : kPaymentRows) {
            const QString serial = QString::number(MonthToSerial(r.month));
            Exec("INSERT INTO " + quotedTable("Cereri.dbf")
                 + " (NRCRT, LUNACRT, LUNADEC, TITULAR, CNP, LOCALIT, ADRESA, STATUT, NR_MEMBRI, CUANTUM, NR_LUNI,"
                   " TOTAL, SUMAL, NR_CERE, NR_DISP, DATADISP, MODPLATA) VALUES ("
                 + QString::number(key) + ", " + serial + ", " + serial + ", \"" + r.name + "\", \"" + r.cnp + "\", \""
                 + r.locality + "\", \"Str. Mare nr. " + QString::number(key) + "\", \"" + r.status + "\", "
                 + QString::number(r.members) + ", 320, 5, " + r.total + ", " + r.sumal + ", " + QString::number(key)
                 + ", \"" + QString::number(10 + key) + "\", \"01.12.2024\", \"" + r.method + "\")");
            ++key;
        }
        hestavo::AdminSettings s;
        s.primaria = "Sat Nou";
        s.uat = "Comuna";
        s.sirues = "1234567890";
        s.judet = "ALBA";
        s.codjud = "1";
        s.primar = "Ion Primarul";
        s.contabil = "Ana Contabila";
        hestavo::StoreAdminSettings(s);
        hestavo::SetAdminValues(s);
        WriteSetting("VARIABILE", "LUNA_LUCRU", "12.2024");
        hestavo::SetWorkingMonth("12.2024");
        MaterializeTemplates();
    }

    static int Month() { return MonthToSerial("12.2024"); }

    // Runs a python3 script (with Debian's dbfread and xlrd) on the arguments;
    // its standard output, trimmed.
    static QString Python(const QString& script, const QStringList& arguments)
    {
        QProcess python;
        python.start(HESTAVO_PYTHON, QStringList{"-c", script} + arguments);
        EXPECT_TRUE(python.waitForFinished(120000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    }

    // Converts files with LibreOffice headless into the folder; false when a
    // file could not be opened or converted.
    bool Convert(const QString& format, const QStringList& files, const QString& folder)
    {
        QProcess office;
        office.start("soffice", QStringList{"-env:UserInstallation=file://" + m_dir.path() + "/lo", "--headless",
                                            "--convert-to", format, "--outdir", folder}
                                    + files);
        return office.waitForFinished(240000) && office.exitCode() == 0;
    }
};
