#include "engine/storage/CodePage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace engine::storage {

namespace {

// Unicode of the bytes 0x80..0xFF. A byte the code page leaves undefined maps
// to the C1 control character of the same value (as Windows does), so that a
// field read and written back keeps its bytes.
const char16_t kWin1250[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

const char16_t kWin1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const char16_t* tableOf(CodePage cp) { return cp == CodePage::Windows1252 ? kWin1252 : kWin1250; }

// Reverse map (Unicode -> byte) for 0x80..0xFF, sorted by code point.
using Reverse = std::array<std::pair<char16_t, unsigned char>, 128>;

Reverse makeReverse(const char16_t* t)
{
    Reverse r{};
    for (int i = 0; i < 128; ++i)
        r[static_cast<size_t>(i)] = {t[i], static_cast<unsigned char>(0x80 + i)};
    std::sort(r.begin(), r.end());
    return r;
}

const Reverse& reverseOf(CodePage cp)
{
    static const Reverse r1250 = makeReverse(kWin1250);
    static const Reverse r1252 = makeReverse(kWin1252);
    return cp == CodePage::Windows1252 ? r1252 : r1250;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed input gives
// U+FFFD and advances by one byte.
char32_t nextCodePoint(std::string_view s, size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; c = b0 & 0x07; }
    else { ++i; return 0xFFFD; }
    if (i + static_cast<size_t>(len) > s.size()) { ++i; return 0xFFFD; }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        c = (c << 6) | (b & 0x3F);
    }
    i += static_cast<size_t>(len);
    return c;
}

} // namespace

std::string toUtf8(std::string_view bytes, CodePage codePage)
{
    const char16_t* t = tableOf(codePage);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else
            appendUtf8(out, t[b - 0x80]);
    }
    return out;
}

std::string fromUtf8(std::string_view utf8, CodePage codePage)
{
    const Reverse& r = reverseOf(codePage);
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = nextCodePoint(utf8, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // Romanian s and t with comma below have no byte in these code pages;
        // the cedilla forms are the same letters in the old orthography that
        // Windows-1250 text uses.
        switch (c) {
        case 0x0218: c = 0x015E; break;
        case 0x0219: c = 0x015F; break;
        case 0x021A: c = 0x0162; break;
        case 0x021B: c = 0x0163; break;
        default: break;
        }
        const auto it = c <= 0xFFFF
            ? std::lower_bound(r.begin(), r.end(), std::pair<char16_t, unsigned char>(static_cast<char16_t>(c), 0))
            : r.end();
        if (it != r.end() && it->first == c)
            out += static_cast<char>(it->second);
        else
            out += '?';
    }
    return out;
}

CodePage codePageFromDriver(std::uint8_t mark, std::string_view driverName)
{
    if (!driverName.empty()) {
        std::string upper(driverName);
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        // dBase 7 language drivers: DBWINUS0, DBWINWE0 are ANSI West European.
        if (upper.rfind("DBWINUS", 0) == 0 || upper.rfind("DBWINWE", 0) == 0)
            return CodePage::Windows1252;
        return CodePage::Windows1250;
    }
    switch (mark) {
    case 0x03: // Windows ANSI
    case 0x57: // ANSI (BDE)
    case 0x58: // Western European ANSI
    case 0x59: // Spanish ANSI
        return CodePage::Windows1252;
    default:
        return CodePage::Windows1250; // 0xC8 (Eastern European Windows), 0 and the rest
    }
}

} // namespace engine::storage
