// The decision reference of every application ("12/03.01.2022": decision
// number, "/", decision date), kept in a temporary table AJVPS that the
// annex statements join on NRCRT.
#pragma once

#include <QDate>
#include <QString>

// Drops a temporary table of one run: the engine closes the file first; a
// file the engine never opened is simply removed. Never throws.
void DropTemporaryTable(const QString& path);

// Number + "/" + date as "dd.MM.yyyy"; empty when both are missing.
QString DecisionReferenceText(const QString& number, const QDate& date);

// Creates AJVPS (NRCRT, NRD, DATAD, NR_DISP) at a fresh temporary path and
// fills it for every row of Cereri in one transaction; the table file is
// deleted when the object goes. Engine failures propagate as engine::Error
// (nothing is left behind).
class DecisionReferenceTable {
public:
    DecisionReferenceTable();
    ~DecisionReferenceTable();
    DecisionReferenceTable(const DecisionReferenceTable&) = delete;
    DecisionReferenceTable& operator=(const DecisionReferenceTable&) = delete;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
