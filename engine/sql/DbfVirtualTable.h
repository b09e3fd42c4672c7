// Registration of the virtual-table module that exposes dBase table files to
// SQLite (see DbfVirtualTable.cpp).
#pragma once

#include "engine/storage/DbfTable.h"

#include <string>
#include <vector>

struct sqlite3;

namespace engine::sql {

class TableHost;

// Registers the module "hestavo_dbf" on the connection; host outlives it.
void registerDbfModule(sqlite3* db, TableHost* host);
// The declared schema of a virtual table over these columns.
std::string virtualTableSchema(const std::vector<storage::Column>& columns);

} // namespace engine::sql
