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

// How a table stores its fields, as its header says.
struct FieldFormat {
    CodePage codePage = CodePage::Windows1250;
    // dBase 7 stores its binary longs ("I" and "+") big-endian with the sign
    // bit flipped, so that they sort as bytes, and four zero bytes for an
    // empty one; the other levels (FoxPro, the program's own tables) store
    // "I" little-endian.
    bool dbase7 = false;
};

bool fieldIsNull(const Column& column, const char* p, const FieldFormat& format);
FieldValue decodeField(const Column& column, const char* p, const FieldFormat& format);
std::optional<double> decodeNumber(const Column& column, const char* p, const FieldFormat& format);
std::optional<Date> decodeDate(const Column& column, const char* p);
// C: trailing blanks cut, UTF-8; others: stored text without surrounding blanks.
std::string decodeText(const Column& column, const char* p, const FieldFormat& format);
// The same text for a C field without copying it when it is plain ASCII
// (a view of the stored bytes); otherwise converted into `scratch`.
std::string_view decodeTextView(const Column& column, const char* p, const FieldFormat& format, std::string& scratch);

// Writes value into [p, p + column.width).
void encodeField(const Column& column, const FieldValue& value, const FieldFormat& format, char* p,
                 const std::string& path);

// The text of a number rounded to `decimals` places, half away from zero
// ("-0" never appears). Throws when value is not finite.
std::string formatDecimal(double value, int decimals);

} // namespace engine::storage
