// The header of a dBase table file: the 32-byte file header, the field
// descriptors (32 bytes, or 48 in dBase 7) up to the 0x0D terminator, and
// what follows the terminator (the Visual FoxPro backlink area). Parsed with
// every length checked against the bytes at hand; composed again for
// restructured tables in the file's own flavour. Internal to the storage layer.
#pragma once

#include "engine/storage/DbfTable.h"
#include "engine/storage/FieldCodec.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::storage {

struct DbfHeader {
    std::uint8_t version = 0x03;
    std::uint32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    CodePage codePage = CodePage::Windows1250;
    int descriptorSize = 32;
    std::string prefix;                   // bytes before the first descriptor (32, or 68 for dBase 7)
    std::vector<Column> columns;
    std::vector<std::string> descriptors; // the stored bytes of each column's descriptor
    std::string tail;                     // bytes after the terminator, up to headerLength

    bool isFoxPro() const { return version == 0x30 || version == 0x31 || version == 0x32; }
    bool isDbase7() const { return (version & 0x07) == 0x04; }
    FieldFormat fieldFormat() const { return {codePage, isDbase7()}; }

    // Parses the header from the first bytes of a file. Throws engine::Error
    // naming the file when the header is damaged or cut short.
    static DbfHeader parse(std::string_view bytes, const std::string& path);
    // Just the 32-byte file header: version, count, lengths (no descriptors).
    static void parseFixed(std::string_view bytes, const std::string& path, std::uint8_t& version,
                           std::uint32_t& count, std::uint16_t& headerLength, std::uint16_t& recordLength);

    // A header for a new dBase IV table with the Windows-1250 language driver.
    static DbfHeader fresh(const std::vector<Column>& columns);

    // The header bytes for this flavour with the given columns, in order; for
    // each column, source[i] is the index of its descriptor in this header to
    // start from (-1: a new one). Offsets, lengths and widths are computed.
    // Returns the composed header and sets columns' offsets in `out`.
    std::string compose(const std::vector<Column>& columns, const std::vector<int>& source,
                        std::uint32_t recordCount, std::vector<Column>& out) const;
};

// Writes today's date (YY since 1900, MM, DD) into header bytes 1..3.
void stampDate(char* header);

} // namespace engine::storage
