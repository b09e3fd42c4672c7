// Conversion between Unicode text and the Windows-1250 bytes that archives and
// RTF templates hold. Header-only so that every library can use it without a
// link dependency; a character with no Windows-1250 byte becomes "?".
#pragma once

#include <QByteArray>
#include <QString>

namespace windows1250 {

// Unicode code points of the bytes 0x80..0xFF; 0 marks the five unassigned bytes.
inline constexpr char16_t kHighHalf[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
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

// True for the five bytes that Windows-1250 leaves unassigned.
inline bool isUnassigned(unsigned char byte)
{
    return byte >= 0x80 && kHighHalf[byte - 0x80] == 0;
}

// Bytes to text; an unassigned byte becomes U+FFFD.
inline QString decode(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            text.append(QChar(char16_t(b)));
        else if (kHighHalf[b - 0x80] != 0)
            text.append(QChar(kHighHalf[b - 0x80]));
        else
            text.append(QChar(char16_t(0xFFFD)));
    }
    return text;
}

// One character to its byte; 0 when it has none.
inline unsigned char encodeChar(char16_t u)
{
    if (u < 0x80)
        return static_cast<unsigned char>(u);
    // Romanian letters with comma below are written with the cedilla forms,
    // the only ones the code page has.
    switch (u) {
    case 0x0218: u = 0x015E; break; // S comma -> S cedilla
    case 0x0219: u = 0x015F; break;
    case 0x021A: u = 0x0162; break; // T comma -> T cedilla
    case 0x021B: u = 0x0163; break;
    default: break;
    }
    for (int i = 0; i < 128; ++i)
        if (kHighHalf[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

// Text to bytes; a character without a byte (or a surrogate pair) becomes "?".
inline QByteArray encode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes.append('?');
            ++i;
            continue;
        }
        const unsigned char b = encodeChar(u);
        bytes.append(b == 0 && u != 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
}

} // namespace windows1250
