#include "engine/sql/TextCollation.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

namespace engine::sql {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the code point at s[i] and moves i past it; a byte that does not
// start a valid sequence stands for itself.
std::uint32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (c < 0x80 || extra == 0 || i + extra >= s.size()) {
        ++i;
        return c;
    }
    std::uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if (!isContinuation(byte(i + k))) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

// Place of a character in the order: ASCII keeps its byte order with room
// after A, I, S and T (upper and lower case) for the Romanian letters; every
// other character comes after ASCII, by code point.
std::uint32_t weight(std::uint32_t c)
{
    if (c < 0x80)
        return c << 2;
    switch (c) {
    case 0x0102: return ('A' << 2) + 1; // Ă
    case 0x00C2: return ('A' << 2) + 2; // Â
    case 0x00CE: return ('I' << 2) + 1; // Î
    case 0x0218: case 0x015E: return ('S' << 2) + 1; // Ș Ş
    case 0x021A: case 0x0162: return ('T' << 2) + 1; // Ț Ţ
    case 0x0103: return ('a' << 2) + 1; // ă
    case 0x00E2: return ('a' << 2) + 2; // â
    case 0x00EE: return ('i' << 2) + 1; // î
    case 0x0219: case 0x015F: return ('s' << 2) + 1; // ș ş
    case 0x021B: case 0x0163: return ('t' << 2) + 1; // ț ţ
    default: return 0x200 + c;
    }
}

std::string_view withoutTrailingBlanks(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

int collationCallback(void*, int na, const void* pa, int nb, const void* pb)
{
    return compareText(std::string_view(static_cast<const char*>(pa), static_cast<std::size_t>(na)),
                       std::string_view(static_cast<const char*>(pb), static_cast<std::size_t>(nb)));
}

} // namespace

int compareText(std::string_view a, std::string_view b)
{
    a = withoutTrailingBlanks(a);
    b = withoutTrailingBlanks(b);
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < common && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return 0;
    if (i == a.size() || i == b.size())
        return i == a.size() ? -1 : 1; // a prefix sorts first
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca < 0x80 && cb < 0x80)
        return ca < cb ? -1 : 1; // the common case: ASCII keeps its order
    const int byBytes = ca < cb ? -1 : 1;
    // Back to the start of the character that differs, then by letters.
    while (i > 0 && (isContinuation(static_cast<unsigned char>(a[i])) || isContinuation(static_cast<unsigned char>(b[i]))))
        --i;
    std::size_t ia = i;
    std::size_t ib = i;
    while (ia < a.size() && ib < b.size()) {
        const std::uint32_t wa = weight(nextCodePoint(a, ia));
        const std::uint32_t wb = weight(nextCodePoint(b, ib));
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (ia < a.size() || ib < b.size())
        return ia < a.size() ? 1 : -1;
    return byBytes; // the same letters: the stored bytes decide
}

void registerTextCollation(sqlite3* db)
{
    sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, collationCallback, nullptr);
}

} // namespace engine::sql
