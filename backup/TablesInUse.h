// Whether another process (another computer of a network database, or a
// second program) has the tables of a data folder open. A restore replaces
// the files and an import rewrites the tables, so both refuse while they are
// shared. The caller closes its own engine handles first (resetDb()).
#pragma once

#include <QString>

namespace backup {

// The engine's message for the first of "Cereri.dbf", "Oameni.dbf" and
// "Log.dbf" in folder (matched without regard to case) that another handle
// holds open: Tabela "<file>" este folosita de alt proces. Empty when all
// are free or absent.
QString TableInUseMessage(const QString& folder);

} // namespace backup
