// The columns of the program's three tables as a table file holds them:
// those the program creates (cereriColumns(), oameniColumns(), logColumns()
// in Db.h), or those of an older version that the start-up upgrade
// (UpgradeSchema) brings up to date. Checked before a table from elsewhere
// (a restored backup) takes the place of the program's own.
#pragma once

#include <QString>

// Why the table file cannot serve as the program's table named `table`
// ("Cereri.dbf", "Oameni.dbf" or "Log.dbf", matched without regard to case):
// a Romanian text naming the first column that differs ("lipseste coloana
// LUNADEC"). Empty when it can serve, and for a name that is not one of the
// program's tables. Columns are compared by name, type, width and decimals,
// in any order. Throws engine::Error when the file is not a readable table.
QString TableStructureProblem(const QString& file, const QString& table);
