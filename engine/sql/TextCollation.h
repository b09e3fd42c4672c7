// The order of text for ORDER BY and the range comparisons of text columns:
// the Romanian alphabet (A Ă Â B ... I Î ... S Ș T Ț ... Z), the cedilla and
// comma forms of Ș and Ț alike, upper case before lower case as in the byte
// order the files used to be sorted by, trailing blanks ignored, and equal
// letters decided by the bytes, so that two texts compare equal only when
// their bytes are equal (equality stays exact).
#pragma once

#include <string_view>

struct sqlite3;

namespace engine::sql {

// Name of the SQLite collation.
inline constexpr const char* kTextCollation = "HVRO";

// <0, 0 or >0 as a sorts before, with or after b (UTF-8 text).
int compareText(std::string_view a, std::string_view b);

void registerTextCollation(sqlite3* db);

} // namespace engine::sql
