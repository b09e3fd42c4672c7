#include "engine/storage/DbfHeader.h"

#include "engine/storage/ByteIO.h"
#include "engine/storage/CodePage.h"

#include <ctime>

namespace engine::storage {

namespace {

bool knownVersion(std::uint8_t v)
{
    switch (v) {
    case 0x03: case 0x83: case 0x8B: case 0xCB: case 0x43: case 0x63: // dBase III+/IV
    case 0x04: case 0x8C:                                             // dBase 7
    case 0x30: case 0x31: case 0x32: case 0xF5: case 0xFB:            // FoxPro, Visual FoxPro
        return true;
    default:
        return false;
    }
}

[[noreturn]] void damaged(const std::string& path, const std::string& problem)
{
    throw Error("Tabela \"" + path + "\" este deteriorata: " + problem);
}

} // namespace

void DbfHeader::parseFixed(std::string_view bytes, const std::string& path, std::uint8_t& version,
                           std::uint32_t& count, std::uint16_t& headerLength, std::uint16_t& recordLength)
{
    if (bytes.size() < 32)
        damaged(path, "fisierul are doar " + std::to_string(bytes.size()) + " octeti, mai putin decat antetul");
    version = bytes::u8(bytes.data());
    count = bytes::u32le(bytes.data() + 4);
    headerLength = bytes::u16le(bytes.data() + 8);
    recordLength = bytes::u16le(bytes.data() + 10);
}

DbfHeader DbfHeader::parse(std::string_view data, const std::string& path)
{
    DbfHeader h;
    parseFixed(data, path, h.version, h.recordCount, h.headerLength, h.recordLength);
    if (!knownVersion(h.version)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", h.version);
        throw Error("Fisierul \"" + path + "\" nu este o tabela dBase (versiune " + hex + ")");
    }
    const bool v7 = h.isDbase7();
    h.descriptorSize = v7 ? 48 : 32;
    const std::size_t start = v7 ? 68 : 32;
    if (h.headerLength < start + 1)
        damaged(path, "lungimea antetului (" + std::to_string(h.headerLength) + ") este prea mica");
    if (data.size() < h.headerLength)
        damaged(path, "antetul declara " + std::to_string(h.headerLength) + " octeti, fisierul are doar "
                          + std::to_string(data.size()));
    if (h.recordLength < 2)
        damaged(path, "lungimea inregistrarii (" + std::to_string(h.recordLength) + ") este prea mica");

    std::string driverName;
    if (v7) {
        const char* p = data.data() + 32;
        std::size_t n = 0;
        while (n < 32 && p[n] != '\0')
            ++n;
        driverName.assign(p, n);
    }
    h.codePage = codePageFromDriver(bytes::u8(data.data() + 29), driverName);
    h.prefix.assign(data.data(), start);

    std::size_t pos = start;
    int offset = 1;
    bool terminated = false;
    while (pos < h.headerLength) {
        if (data[pos] == '\x0D') {
            terminated = true;
            break;
        }
        if (pos + static_cast<std::size_t>(h.descriptorSize) > h.headerLength)
            break;
        const char* d = data.data() + pos;
        Column c;
        const std::size_t nameMax = v7 ? 32 : 11;
        std::size_t n = 0;
        while (n < nameMax && d[n] != '\0')
            ++n;
        c.name.assign(d, n);
        while (!c.name.empty() && c.name.back() == ' ')
            c.name.pop_back();
        const std::size_t t = v7 ? 32 : 11;
        c.type = d[t];
        c.width = bytes::u8(d + t + (v7 ? 1 : 5));
        c.decimals = bytes::u8(d + t + (v7 ? 2 : 6));
        if (c.type == 'C' && c.decimals != 0 && !v7) {
            // FoxPro and Clipper keep the high byte of a long character width here.
            c.width += c.decimals * 256;
            c.decimals = 0;
        }
        if (c.name.empty())
            damaged(path, "coloana " + std::to_string(h.columns.size() + 1) + " nu are nume");
        if (c.width <= 0)
            damaged(path, "coloana " + c.name + " are latimea 0");
        c.offset = offset;
        offset += c.width;
        h.columns.push_back(c);
        h.descriptors.emplace_back(d, static_cast<std::size_t>(h.descriptorSize));
        pos += static_cast<std::size_t>(h.descriptorSize);
    }
    if (!terminated)
        damaged(path, "lista de campuri nu are terminatorul 0x0D in cei " + std::to_string(h.headerLength)
                          + " octeti ai antetului");
    if (h.columns.empty())
        damaged(path, "tabela nu are nicio coloana");
    if (offset > h.recordLength)
        damaged(path, "lungimea inregistrarii din antet (" + std::to_string(h.recordLength)
                          + ") este mai mica decat suma latimilor coloanelor (" + std::to_string(offset) + ")");
    h.tail.assign(data.data() + pos + 1, h.headerLength - pos - 1);
    return h;
}

DbfHeader DbfHeader::fresh(const std::vector<Column>& columns)
{
    DbfHeader h;
    h.version = 0x03;
    h.codePage = CodePage::Windows1250;
    h.descriptorSize = 32;
    h.prefix.assign(32, '\0');
    h.prefix[0] = '\x03';
    h.prefix[29] = static_cast<char>(0xC8);
    h.columns = columns;
    h.descriptors.assign(columns.size(), std::string());
    return h;
}

std::string DbfHeader::compose(const std::vector<Column>& columns, const std::vector<int>& source,
                               std::uint32_t count, std::vector<Column>& out) const
{
    const bool v7 = isDbase7();
    const std::size_t ds = static_cast<std::size_t>(descriptorSize);
    std::string header = prefix;
    out.clear();
    int offset = 1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Column c = columns[i];
        std::string d(ds, '\0');
        const int from = i < source.size() ? source[i] : -1;
        if (from >= 0 && static_cast<std::size_t>(from) < descriptors.size() && descriptors[static_cast<std::size_t>(from)].size() == ds)
            d = descriptors[static_cast<std::size_t>(from)];
        else
            std::fill(d.begin(), d.end(), '\0');
        // Name, zero padded.
        const std::size_t nameMax = v7 ? 31 : 10;
        std::fill(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(nameMax + 1), '\0');
        d.replace(0, std::min(nameMax, c.name.size()), c.name.substr(0, nameMax));
        const std::size_t t = v7 ? 32 : 11;
        d[t] = c.type;
        int widthLow = c.width;
        int decimals = c.decimals;
        if (c.type == 'C' && c.width > 255 && !v7) {
            widthLow = c.width & 0xFF;
            decimals = c.width >> 8;
        }
        d[t + (v7 ? 1 : 5)] = static_cast<char>(widthLow & 0xFF);
        d[t + (v7 ? 2 : 6)] = static_cast<char>(decimals & 0xFF);
        if (isFoxPro())
            bytes::put32le(d.data() + 12, static_cast<std::uint32_t>(offset)); // field displacement
        c.offset = offset;
        offset += c.width;
        header += d;
        out.push_back(c);
    }
    header += '\x0D';
    header += tail;
    bytes::put32le(header.data() + 4, count);
    bytes::put16le(header.data() + 8, static_cast<std::uint16_t>(header.size()));
    bytes::put16le(header.data() + 10, static_cast<std::uint16_t>(offset));
    stampDate(header.data());
    return header;
}

void stampDate(char* header)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    header[1] = static_cast<char>(tm.tm_year % 256); // years since 1900
    header[2] = static_cast<char>(tm.tm_mon + 1);
    header[3] = static_cast<char>(tm.tm_mday);
}

} // namespace engine::storage
