// Helpers shared by the format tests: the path of a test file and little
// writers for crafting corrupt samples byte by byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

inline std::string TestFile(const std::string& name)
{
    return std::string(BRUMEX_TEST_DATA) + "/naturalearth/" + name;
}

// The bytes of `text`, which must outlive the view.
inline std::span<const std::uint8_t> BytesOf(const std::string& text)
{
    return { reinterpret_cast<const std::uint8_t*>(text.data()), text.size() };
}

inline void PutLE16(std::vector<std::uint8_t>& bytes, std::size_t at, int value)
{
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLE32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
}

inline void PutBE32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + 3 - i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
}

inline void PutDoubleLE(std::vector<std::uint8_t>& bytes, std::size_t at, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}
