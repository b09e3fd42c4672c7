// Explicit little-endian reads and writes on byte buffers. Callers check
// lengths before reading; these helpers never look past what they are given.
#pragma once

#include <cstdint>
#include <string>

namespace engine::storage::bytes {

inline std::uint8_t u8(const char* p) { return static_cast<std::uint8_t>(p[0]); }

inline std::uint16_t u16le(const char* p)
{
    return static_cast<std::uint16_t>(u8(p) | (u8(p + 1) << 8));
}

inline std::uint32_t u32le(const char* p)
{
    return static_cast<std::uint32_t>(u8(p)) | (static_cast<std::uint32_t>(u8(p + 1)) << 8)
        | (static_cast<std::uint32_t>(u8(p + 2)) << 16) | (static_cast<std::uint32_t>(u8(p + 3)) << 24);
}

inline std::uint64_t u64le(const char* p)
{
    return static_cast<std::uint64_t>(u32le(p)) | (static_cast<std::uint64_t>(u32le(p + 4)) << 32);
}

inline void put16le(char* p, std::uint16_t v)
{
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

inline void put32le(char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void put64le(char* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void append32le(std::string& s, std::uint32_t v)
{
    char b[4];
    put32le(b, v);
    s.append(b, 4);
}

inline void append64le(std::string& s, std::uint64_t v)
{
    char b[8];
    put64le(b, v);
    s.append(b, 8);
}

} // namespace engine::storage::bytes
