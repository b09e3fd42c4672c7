// Explicit little-endian reading and writing of byte buffers. Every read checks
// its bounds and raises FormatError instead of reading past the end.
#pragma once

#include "workbook/WorkbookError.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <string>

namespace workbook {

class ByteView {
public:
    ByteView() = default;
    ByteView(const char* data, qsizetype size) : m_data(data), m_size(size) {}
    explicit ByteView(const QByteArray& a) : m_data(a.constData()), m_size(a.size()) {}

    qsizetype size() const { return m_size; }
    const char* data() const { return m_data; }

    void need(qsizetype offset, qsizetype count) const
    {
        if (offset < 0 || count < 0 || offset > m_size || count > m_size - offset)
            throw FormatError("date trunchiate (offset " + std::to_string(offset) + ", lungime "
                              + std::to_string(count) + ", disponibil " + std::to_string(m_size) + ")");
    }
    uint8_t u8(qsizetype at) const { need(at, 1); return uint8_t(m_data[at]); }
    uint16_t u16(qsizetype at) const
    {
        need(at, 2);
        return uint16_t(uint8_t(m_data[at]) | (uint8_t(m_data[at + 1]) << 8));
    }
    int16_t i16(qsizetype at) const { return int16_t(u16(at)); }
    uint32_t u32(qsizetype at) const
    {
        need(at, 4);
        return uint32_t(uint8_t(m_data[at])) | (uint32_t(uint8_t(m_data[at + 1])) << 8)
            | (uint32_t(uint8_t(m_data[at + 2])) << 16) | (uint32_t(uint8_t(m_data[at + 3])) << 24);
    }
    uint64_t u64(qsizetype at) const { return uint64_t(u32(at)) | (uint64_t(u32(at + 4)) << 32); }
    double f64(qsizetype at) const
    {
        uint64_t bits = u64(at);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    QByteArray bytes(qsizetype at, qsizetype count) const
    {
        need(at, count);
        return QByteArray(m_data + at, count);
    }
    ByteView sub(qsizetype at, qsizetype count) const
    {
        need(at, count);
        return ByteView(m_data + at, count);
    }

private:
    const char* m_data = nullptr;
    qsizetype m_size = 0;
};

inline void putU8(QByteArray& out, uint8_t v) { out.append(char(v)); }
inline void putU16(QByteArray& out, uint16_t v) { out.append(char(v & 0xFF)); out.append(char(v >> 8)); }
inline void putU32(QByteArray& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}
inline void putF64(QByteArray& out, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i) out.append(char((bits >> (8 * i)) & 0xFF));
}
inline void setU16(QByteArray& out, qsizetype at, uint16_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}
inline void setU32(QByteArray& out, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = char((v >> (8 * i)) & 0xFF);
}
inline uint16_t getU16(const QByteArray& a, qsizetype at) { return ByteView(a).u16(at); }
inline uint32_t getU32(const QByteArray& a, qsizetype at) { return ByteView(a).u32(at); }

} // namespace workbook
