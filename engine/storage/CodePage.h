// Conversion between UTF-8 and the single-byte Windows code pages of table
// files (1250 East European, 1252 West European), and the choice of code page
// from a table header's language driver mark.
#pragma once

#include "engine/storage/DbfTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::storage {

// Bytes of the code page to UTF-8. A byte the code page leaves undefined
// becomes the C1 control character of the same value, so it survives a round
// trip.
std::string toUtf8(std::string_view bytes, CodePage codePage);
// UTF-8 to bytes of the code page; a character the code page cannot hold (or
// a malformed UTF-8 sequence) becomes "?". The Romanian letters s and t with
// comma below are stored as their cedilla forms.
std::string fromUtf8(std::string_view utf8, CodePage codePage);

// Code page of a table from its language driver mark (header byte 29) and,
// for dBase 7 files, the language driver name. 0 and unknown marks give
// Windows-1250.
CodePage codePageFromDriver(std::uint8_t mark, std::string_view driverName = {});

} // namespace engine::storage
