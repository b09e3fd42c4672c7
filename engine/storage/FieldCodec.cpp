#include "engine/storage/FieldCodec.h"

#include "engine/storage/ByteIO.h"
#include "engine/storage/CodePage.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace engine::storage {

namespace {

std::string_view trimmed(const char* p, int width)
{
    std::size_t b = 0;
    std::size_t e = static_cast<std::size_t>(width);
    while (b < e && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\0'))
        --e;
    return {p + b, e - b};
}

bool allBlank(const char* p, int width)
{
    for (int i = 0; i < width; ++i)
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    return true;
}

std::optional<double> parseNumberText(std::string_view s)
{
    // Only an optional sign, digits and one point; no exponent, no inner blanks.
    std::size_t i = 0;
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        ++i;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char ch = s[i];
        if (ch >= '0' && ch <= '9') {
            if (digits < 19)
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(ch - '0');
            ++digits;
            if (point)
                ++decimals;
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    double v;
    if (digits <= 15) {
        // Both parts are exact in a double, so one division rounds correctly.
        static const double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                        1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        v = static_cast<double>(mantissa) / kPow10[decimals];
    } else {
        std::string_view body = s.substr(s.empty() || (s[0] != '-' && s[0] != '+') ? 0 : 1);
        const auto r = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::fixed);
        if (r.ec != std::errc())
            return std::nullopt;
    }
    return negative ? -v : v;
}

std::optional<Date> parseDateDigits(std::string_view s)
{
    if (s.size() != 8)
        return std::nullopt;
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (s[static_cast<std::size_t>(i)] < '0' || s[static_cast<std::size_t>(i)] > '9')
            return std::nullopt;
        v[i] = s[static_cast<std::size_t>(i)] - '0';
    }
    Date d{v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]};
    if (!d.isValid())
        return std::nullopt;
    return d;
}

[[noreturn]] void refuse(const std::string& path, const Column& c, const std::string& problem)
{
    throw Error(problem + " (coloana " + c.name + " a tabelei \"" + path + "\")");
}

std::string describeColumn(const Column& c)
{
    std::string s(1, c.type);
    s += " " + std::to_string(c.width);
    if (c.decimals)
        s += "," + std::to_string(c.decimals);
    return s;
}

void writeRightAligned(char* p, int width, std::string_view text)
{
    std::memset(p, ' ', static_cast<std::size_t>(width));
    std::memcpy(p + width - static_cast<int>(text.size()), text.data(), text.size());
}

} // namespace

namespace {

// A double stored as 8 binary bytes (FoxPro "B", dBase 7 "O"): one that is no
// finite number reads as NULL, never as its raw bytes.
bool binaryDouble(const Column& c) { return (c.type == 'B' || c.type == 'O') && c.width == 8; }

} // namespace

bool fieldIsNull(const Column& c, const char* p, const FieldFormat& f)
{
    if (binaryDouble(c) || c.type == 'I' || c.type == '+')
        return !decodeNumber(c, p, f).has_value();
    switch (c.type) {
    case 'C':
    case 'M':
    case 'G':
    case 'P':
        return c.type != 'C' || allBlank(p, c.width);
    case 'N':
    case 'F':
        return !decodeNumber(c, p, f).has_value();
    case 'D':
        return !decodeDate(c, p).has_value();
    case 'L':
        return !(p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y' || p[0] == 'F' || p[0] == 'f'
                 || p[0] == 'N' || p[0] == 'n');
    default:
        return false;
    }
}

namespace {

std::uint64_t bigEndian(const char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

// A dBase 7 long ("I", "+"): big-endian with the sign bit flipped; four zero
// bytes are an empty field.
std::optional<double> sortableLong(const char* p)
{
    const auto bits = static_cast<std::uint32_t>(bigEndian(p, 4));
    if (bits == 0)
        return std::nullopt;
    return static_cast<double>(static_cast<std::int32_t>(bits ^ 0x80000000u));
}

void putSortableLong(char* p, std::int32_t value)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(value) ^ 0x80000000u;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>(bits >> (8 * (3 - i)));
}

} // namespace

std::optional<double> decodeNumber(const Column& c, const char* p, const FieldFormat& f)
{
    switch (c.type) {
    case 'N':
    case 'F':
        return parseNumberText(trimmed(p, c.width));
    case 'I':
    case '+':
        if (c.width != 4)
            return std::nullopt;
        if (f.dbase7)
            return sortableLong(p);
        if (c.type == 'I')
            return static_cast<double>(static_cast<std::int32_t>(bytes::u32le(p)));
        return std::nullopt;
    case 'B':
    case 'O':
        if (c.width == 8) {
            std::uint64_t bits = bytes::u64le(p);
            // dBase 7 doubles sort as bytes: big-endian, the sign bit set on
            // positive values and every bit inverted on negative ones.
            if (c.type == 'O') {
                bits = bigEndian(p, 8);
                bits = (bits & 0x8000000000000000ULL) ? (bits & 0x7FFFFFFFFFFFFFFFULL) : ~bits;
            }
            double v;
            std::memcpy(&v, &bits, sizeof v);
            // NaN and the infinities are no amount: read as NULL, like
            // any other field that holds no number.
            if (!std::isfinite(v))
                return std::nullopt;
            return v;
        }
        return std::nullopt;
    case 'Y':
        if (c.width == 8)
            return static_cast<double>(static_cast<std::int64_t>(bytes::u64le(p))) / 10000.0;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<Date> decodeDate(const Column& c, const char* p)
{
    if (c.type != 'D' || c.width != 8)
        return std::nullopt;
    return parseDateDigits(std::string_view(p, 8));
}

std::string_view decodeTextView(const Column& c, const char* p, const FieldFormat& f, std::string& scratch)
{
    if (c.type != 'C') {
        scratch = decodeText(c, p, f);
        return scratch;
    }
    int e = c.width;
    while (e > 0 && (p[e - 1] == ' ' || p[e - 1] == '\0'))
        --e;
    const std::string_view stored(p, static_cast<std::size_t>(e));
    for (char ch : stored)
        if (static_cast<unsigned char>(ch) >= 0x80) {
            scratch = toUtf8(stored, f.codePage);
            return scratch;
        }
    return stored;
}

std::string decodeText(const Column& c, const char* p, const FieldFormat& f)
{
    const CodePage cp = f.codePage;
    if (c.type == 'C') {
        std::string scratch;
        const std::string_view text = decodeTextView(c, p, f, scratch);
        return text.data() == scratch.data() ? std::move(scratch) : std::string(text);
    }
    if (c.type == 'M' || c.type == 'G' || c.type == 'P')
        return {};
    if (c.type == 'N' || c.type == 'F' || c.type == 'D' || c.type == 'L')
        return std::string(trimmed(p, c.width));
    if (auto n = decodeNumber(c, p, f))
        return formatDecimal(*n, c.type == 'Y' ? 4 : (c.type == 'I' || c.type == '+' ? 0 : 6));
    if (binaryDouble(c))
        return {};
    return toUtf8(trimmed(p, c.width), cp);
}

FieldValue decodeField(const Column& c, const char* p, const FieldFormat& f)
{
    const CodePage cp = f.codePage;
    switch (c.type) {
    case 'C':
        if (allBlank(p, c.width))
            return FieldValue::null();
        return FieldValue::ofText(decodeText(c, p, f));
    case 'D':
        if (auto d = decodeDate(c, p))
            return FieldValue::ofDate(*d);
        return FieldValue::null();
    case 'L':
        if (p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y')
            return FieldValue::ofLogical(true);
        if (p[0] == 'F' || p[0] == 'f' || p[0] == 'N' || p[0] == 'n')
            return FieldValue::ofLogical(false);
        return FieldValue::null();
    case 'M':
    case 'G':
    case 'P':
        return FieldValue::null(); // memo text lives in another file, not read
    default:
        if (auto n = decodeNumber(c, p, f))
            return FieldValue::ofNumber(*n);
        if (c.type == 'N' || c.type == 'F' || binaryDouble(c) || allBlank(p, c.width))
            return FieldValue::null();
        return FieldValue::ofText(toUtf8(trimmed(p, c.width), cp));
    }
}

std::string formatDecimal(double value, int decimals)
{
    if (!std::isfinite(value))
        throw Error("Numar invalid");
    // The shortest text that reads back as the same double, then rounded in
    // decimal: 2.675 is taken as written, not as its binary neighbour.
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string s(buf, r.ptr);
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.erase(0, 1);
    }
    std::string intPart = s;
    std::string frac;
    const auto dot = s.find('.');
    if (dot != std::string::npos) {
        intPart = s.substr(0, dot);
        frac = s.substr(dot + 1);
    }
    const std::size_t d = static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
    bool roundUp = frac.size() > d && frac[d] >= '5';
    frac.resize(d, '0');
    if (roundUp) {
        std::string digits = intPart + frac;
        int i = static_cast<int>(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<std::size_t>(i)] == '9') {
                digits[static_cast<std::size_t>(i)] = '0';
            } else {
                ++digits[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
        intPart = digits.substr(0, digits.size() - d);
        frac = digits.substr(digits.size() - d);
    }
    bool zero = true;
    for (char ch : intPart + frac)
        if (ch != '0')
            zero = false;
    std::string out = (negative && !zero ? "-" : "") + intPart;
    if (d > 0)
        out += "." + frac;
    return out;
}

void encodeField(const Column& c, const FieldValue& v, const FieldFormat& f, char* p, const std::string& path)
{
    const CodePage cp = f.codePage;
    const auto w = static_cast<std::size_t>(c.width);
    switch (c.type) {
    case 'C': {
        std::string bytes;
        switch (v.kind) {
        case FieldValue::Kind::Null: break;
        case FieldValue::Kind::Text: bytes = fromUtf8(v.text, cp); break;
        case FieldValue::Kind::Number: bytes = formatDecimal(v.number, 6);
            while (bytes.find('.') != std::string::npos && (bytes.back() == '0' || bytes.back() == '.'))
                bytes.pop_back();
            break;
        case FieldValue::Kind::Date: bytes = v.date.toText(); break;
        case FieldValue::Kind::Logical: bytes = v.logical ? "T" : "F"; break;
        }
        std::memset(p, ' ', w);
        std::memcpy(p, bytes.data(), std::min(w, bytes.size()));
        return;
    }
    case 'N':
    case 'F': {
        double number = 0;
        switch (v.kind) {
        case FieldValue::Kind::Null:
            std::memset(p, ' ', w);
            return;
        case FieldValue::Kind::Number:
            number = v.number;
            break;
        case FieldValue::Kind::Text: {
            std::string_view t = trimmed(v.text.data(), static_cast<int>(v.text.size()));
            if (t.empty()) {
                std::memset(p, ' ', w);
                return;
            }
            const auto n = parseNumberText(t);
            if (!n)
                refuse(path, c, "Valoarea \"" + v.text + "\" nu este un numar");
            number = *n;
            break;
        }
        default:
            refuse(path, c, "Coloana numerica nu poate primi o data sau o valoare logica");
        }
        if (!std::isfinite(number))
            refuse(path, c, "Numar invalid");
        const std::string text = formatDecimal(number, c.decimals);
        if (text.size() > w)
            refuse(path, c, "Valoarea " + text + " nu incape in " + describeColumn(c));
        writeRightAligned(p, c.width, text);
        return;
    }
    case 'D': {
        if (c.width != 8)
            refuse(path, c, "Camp de tip data cu latimea " + std::to_string(c.width));
        Date d;
        switch (v.kind) {
        case FieldValue::Kind::Null:
            std::memset(p, ' ', 8);
            return;
        case FieldValue::Kind::Date:
            d = v.date;
            break;
        case FieldValue::Kind::Text: {
            std::string_view t = trimmed(v.text.data(), static_cast<int>(v.text.size()));
            if (t.empty()) {
                std::memset(p, ' ', 8);
                return;
            }
            d = Date::fromText(std::string(t));
            if (!d.isValid())
                if (auto digits = parseDateDigits(t))
                    d = *digits;
            if (!d.isValid())
                refuse(path, c, "Data invalida \"" + v.text + "\"");
            break;
        }
        default:
            refuse(path, c, "Coloana de tip data nu poate primi un numar sau o valoare logica");
        }
        if (!d.isValid())
            refuse(path, c, "Data invalida");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
        std::memcpy(p, buf, 8);
        return;
    }
    case 'L': {
        char ch = '?';
        if (v.kind == FieldValue::Kind::Logical)
            ch = v.logical ? 'T' : 'F';
        else if (v.kind == FieldValue::Kind::Text && !v.text.empty()) {
            const char t = v.text[0];
            if (t == 'T' || t == 't' || t == 'Y' || t == 'y')
                ch = 'T';
            else if (t == 'F' || t == 'f' || t == 'N' || t == 'n')
                ch = 'F';
            else
                refuse(path, c, "Valoarea \"" + v.text + "\" nu este logica");
        } else if (v.kind == FieldValue::Kind::Number)
            ch = v.number != 0 ? 'T' : 'F';
        std::memset(p, ' ', w);
        p[0] = ch == '?' ? ' ' : ch;
        return;
    }
    case 'I': {
        if (c.width != 4)
            refuse(path, c, "Camp intreg cu latimea " + std::to_string(c.width));
        double number = 0;
        if (v.kind == FieldValue::Kind::Number)
            number = v.number;
        else if (v.kind == FieldValue::Kind::Text && !v.text.empty()) {
            const auto n = parseNumberText(trimmed(v.text.data(), static_cast<int>(v.text.size())));
            if (!n)
                refuse(path, c, "Valoarea \"" + v.text + "\" nu este un numar");
            number = *n;
        } else if (v.kind != FieldValue::Kind::Null)
            refuse(path, c, "Coloana intreaga nu poate primi o data sau o valoare logica");
        const double r = std::round(number);
        if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
            refuse(path, c, "Valoarea " + formatDecimal(number, 0) + " nu incape in I 4");
        if (!f.dbase7)
            bytes::put32le(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(r)));
        else if (v.kind == FieldValue::Kind::Null)
            std::memset(p, 0, 4);
        else if (r == -2147483648.0) // its bytes would be the empty field's
            refuse(path, c, "Valoarea " + formatDecimal(number, 0) + " nu incape in I 4");
        else
            putSortableLong(p, static_cast<std::int32_t>(r));
        return;
    }
    default:
        if (v.kind != FieldValue::Kind::Null)
            refuse(path, c, std::string("Coloana de tipul ") + c.type + " nu poate fi scrisa");
        // Leave what is stored (memo pointers and foreign types) untouched.
        return;
    }
}

} // namespace engine::storage
