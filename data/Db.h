// The program's one engine context and the routines built on it: table
// creation, the key resynchronisation, the audit log and the distinct-values
// query behind the combo boxes. Every engine failure propagates as
// engine::Error with the engine's message.
#pragma once

#include "engine/Database.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The engine context, created on first use with paths().enginePrivateFolder as
// its private folder. resetDb() drops it (tests, a change of data folder).
engine::Database& Db();
void resetDb();

// Statement lines in the program's text (UTF-8 for the engine).
std::vector<std::string> sqlLines(const QStringList& lines);

// The file of a table in the data folder, matched without regard to case
// ("Log.dbf" finds "LOG.DBF"), and the same in double quotes for a statement.
QString tableFile(const QString& fileName);
QString quotedTable(const QString& fileName);
QString quotedPath(const QString& path);

// The column lists of the three tables.
QStringList cereriColumns();
QStringList oameniColumns();
QStringList logColumns();

// The width and decimals of a column in one of the lists above ("TITULAR
// CHAR(32)": 32, 0; "TVENIT DECIMAL(10,2)": 10, 2); {0, 0} when it is not there.
struct ColumnSize {
    int width = 0;
    int decimals = 0;
    // The digits before the decimal point that a DECIMAL column holds.
    int integerDigits() const { return decimals > 0 ? width - decimals - 1 : width; }
};
ColumnSize columnSize(const QStringList& columns, const QString& name);

// CREATE TABLE for each of "LOG.DBF", "Cereri.dbf", "Oameni.dbf" whose file is
// missing from the data folder, in that order. Returns the files created.
QStringList CreateMissingTables();

// SELECT MAX(column) AS CODEX_ FROM table, as a whole number; 0 for an empty
// table or a value that is not a number.
long long ReadMax(const QString& tableFileName, const QString& column);

// Sets the counters NRCRT, NROM and IDLOG of section "INDEX" to the largest key
// in Cereri, Oameni and Log + 1. On a network data folder (not the program's
// own) a counter is only raised, in one locked step: keys other workstations
// have taken are never handed out again.
void ResyncCounters();

// Appends one row to the Log table: a new IDLOG, today's date, the time, the
// text (cut by the engine to 120 characters) and the user identity.
void LogAction(const QString& text);

// Keeps the rows whose key is within 1000 of the newest row's key when the log
// holds 1000 rows or more. Returns the number of rows deleted.
int PruneLog();

// SELECT DISTINCT column FROM table [WHERE condition] ORDER BY column: every
// value whose trimmed text is not empty, untrimmed as read.
QStringList DistinctValues(const QString& quotedTablePath, const QString& column, const QString& condition);
