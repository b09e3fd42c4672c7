// Clearing the production-index mark of a copied dBase table file.
#pragma once

#include <string>

namespace engine::storage {

// Writes 0 into the byte at offset 28 of the table file (the mark that a
// production index belongs to the table) and deletes the companion ".mdx"
// file of the same name, whatever its letter case. Does nothing when the file
// cannot be opened.
void clearProductionIndexFlag(const std::string& dbfPath);

} // namespace engine::storage
