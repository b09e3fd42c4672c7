// Decoding and encoding of one field's bytes in a record. Decoding never
// reads outside [p, p + column.width) and turns garbage in a numeric or date
// field into Null; encoding raises engine::Error naming file and column.
// Internal to the storage layer.
#pragma once

#include "engine/storage/DbfTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine::storage {

bool fieldIsNull(const Column& column, const char* p);
FieldValue decodeField(const Column& column, const char* p, CodePage codePage);
std::optional<double> decodeNumber(const Column& column, const char* p);
std::optional<Date> decodeDate(const Column& column, const char* p);
// C: trailing blanks cut, UTF-8; others: stored text without surrounding blanks.
std::string decodeText(const Column& column, const char* p, CodePage codePage);
// The same text for a C field without copying it when it is plain ASCII
// (a view of the stored bytes); otherwise converted into `scratch`.
std::string_view decodeTextView(const Column& column, const char* p, CodePage codePage, std::string& scratch);

// Writes value into [p, p + column.width).
void encodeField(const Column& column, const FieldValue& value, CodePage codePage, char* p,
                 const std::string& path);

// The text of a number rounded to `decimals` places, half away from zero
// ("-0" never appears). Throws when value is not finite.
std::string formatDecimal(double value, int decimals);

} // namespace engine::storage
