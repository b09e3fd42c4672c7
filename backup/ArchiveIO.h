// Little-endian integers and the buffer size shared by the archive writer and reader.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace backup {

// Archive streams are read and written in blocks of this size.
inline constexpr int kBufferSize = 64 * 1024;

inline void appendInt32(QByteArray& out, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
    out.append(static_cast<char>((v >> 16) & 0xFF));
    out.append(static_cast<char>((v >> 24) & 0xFF));
}

inline std::int32_t int32At(const unsigned char* p)
{
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8)
                                     | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
}

} // namespace backup
