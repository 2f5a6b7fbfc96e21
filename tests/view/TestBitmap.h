// Small 256-colour bitmaps written on the fly: texel (column x, row y from the
// top) has palette index (x + y) % 16 unless a pattern says otherwise, and the
// palette entry i is a distinct colour.
#pragma once

#include "geo/GlobeTypes.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

inline TColor TestPaletteColor(int index)
{
    // $00BBGGRR with red stepping fastest.
    const int r = (index * 53) % 256, g = (index * 97) % 256, b = (index * 151) % 256;
    return r | g << 8 | b << 16;
}

inline std::vector<uint8_t> TestBitmapBytes(
    int width, int height,
    const std::function<int(int, int)>& index = [](int x, int y) { return (x + y) % 16; })
{
    const int stride = (width + 3) / 4 * 4;
    const uint32_t offBits = 14 + 40 + 1024;
    const uint32_t size = offBits + static_cast<uint32_t>(stride * height);
    std::vector<uint8_t> b;
    auto u16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u16(0x4D42);
    u32(size);
    u32(0);
    u32(offBits);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(8);
    u32(0);
    u32(static_cast<uint32_t>(stride * height));
    u32(2835);
    u32(2835);
    u32(256);
    u32(0);
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<uint32_t>(TestPaletteColor(i));
        b.push_back(static_cast<uint8_t>(c >> 16));
        b.push_back(static_cast<uint8_t>(c >> 8));
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(0);
    }
    for (int row = height - 1; row >= 0; --row) // bottom-up
        for (int x = 0; x < stride; ++x)
            b.push_back(static_cast<uint8_t>(x < width ? index(x, row) : 0));
    return b;
}

inline std::string WriteTestBitmap(
    const std::string& name, int width, int height,
    const std::function<int(int, int)>& index = [](int x, int y) { return (x + y) % 16; })
{
    const auto folder = std::filesystem::temp_directory_path() / "brumex-view-bitmaps";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / (name + ".bmp")).string();
    const auto bytes = TestBitmapBytes(width, height, index);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}
