#include "engine/storage/PaymentFile.h"

#include "engine/storage/ByteIO.h"
#include "engine/storage/DbfHeader.h"
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <filesystem>
#include <utility>

namespace engine::storage {

namespace {

struct PaymentField {
    const char* name;
    char type;
    int width;
    int decimals;
};

// Column order, types and widths the treasury's loader expects.
const PaymentField kFields[] = {
    {"CODJUD", 'C', 2, 0},    {"CODFISC", 'C', 10, 0}, {"CNP", 'C', 13, 0},
    {"CODAJUT", 'C', 3, 0},   {"NUMEPREN", 'C', 60, 0}, {"NRPERS", 'N', 2, 0},
    {"SUMA", 'N', 10, 2},     {"DTPLATCRT", 'D', 8, 0}, {"DATA_PREL", 'D', 8, 0},
};

constexpr int kBacklinkLength = 263;

// The file's code page mark says Windows-1252, which lacks most Romanian
// letters: the treasury receives them as their base letters (so "ŞERBAN" is
// stored as "SERBAN", not "?ERBAN"). Every other character is left to the
// code page conversion.
std::string foldRomanianLetters(const std::string& utf8)
{
    static const std::pair<const char*, char> kFolds[] = {
        {"\u0102", 'A'}, {"\u0103", 'a'}, {"\u00C2", 'A'}, {"\u00E2", 'a'}, {"\u00CE", 'I'}, {"\u00EE", 'i'},
        {"\u0218", 'S'}, {"\u0219", 's'}, {"\u015E", 'S'}, {"\u015F", 's'},
        {"\u021A", 'T'}, {"\u021B", 't'}, {"\u0162", 'T'}, {"\u0163", 't'},
    };
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        bool folded = false;
        for (const auto& [letter, base] : kFolds) {
            const size_t n = std::char_traits<char>::length(letter);
            if (utf8.compare(i, n, letter) == 0) {
                out += base;
                i += n;
                folded = true;
                break;
            }
        }
        if (!folded)
            out += utf8[i++];
    }
    return out;
}

} // namespace

std::string emptyPaymentFile()
{
    std::string header(32, '\0');
    header[0] = '\x30';       // Visual FoxPro
    stampDate(header.data());
    header[29] = '\x03';      // code page mark: Windows ANSI
    int offset = 1;
    for (const PaymentField& f : kFields) {
        std::string d(32, '\0');
        d.replace(0, std::char_traits<char>::length(f.name), f.name);
        d[11] = f.type;
        bytes::put32le(d.data() + 12, static_cast<std::uint32_t>(offset)); // displacement in the record
        d[16] = static_cast<char>(f.width);
        d[17] = static_cast<char>(f.decimals);
        header += d;
        offset += f.width;
    }
    header += '\x0D';
    header.append(kBacklinkLength, '\0');
    bytes::put32le(header.data() + 4, 0);
    bytes::put16le(header.data() + 8, static_cast<std::uint16_t>(header.size()));  // 584
    bytes::put16le(header.data() + 10, static_cast<std::uint16_t>(offset));        // 117
    header += '\x1A';
    return header;
}

void createPaymentFile(const std::string& path)
{
    const std::string bytes = emptyPaymentFile();
    const std::string temp = path + "-new";
    {
        FileHandle out(temp, FileHandle::Mode::CreateNew);
        out.writeAt(0, bytes.data(), bytes.size());
        out.sync();
    }
    if (!replaceFile(temp, path)) {
        std::error_code ec;
        std::filesystem::remove(fsPath(temp), ec);
        throw Error("Fisierul \"" + path + "\" este folosit de alt proces");
    }
}

void appendPayments(const std::string& path, const std::vector<Payment>& payments)
{
    DbfTable table = DbfTable::open(path);
    DbfBatch batch(table);
    for (const Payment& p : payments) {
        table.append({
            FieldValue::ofText(p.codJud), FieldValue::ofText(p.codFisc), FieldValue::ofText(p.cnp),
            FieldValue::ofText(p.codAjut), FieldValue::ofText(foldRomanianLetters(p.numePren)), FieldValue::ofNumber(p.nrPers),
            FieldValue::ofNumber(p.suma),
            p.dtPlatCrt.isValid() ? FieldValue::ofDate(p.dtPlatCrt) : FieldValue::null(),
            p.dataPrel.isValid() ? FieldValue::ofDate(p.dataPrel) : FieldValue::null(),
        });
    }
    batch.commit();
}

} // namespace engine::storage
