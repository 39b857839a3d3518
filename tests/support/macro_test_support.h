// record.ini written and read as plain text, and a block built from its bytes.
#pragma once

#include "device/config_image.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace varcel::test {

inline void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A block: its loop count, its event bytes, then zeros.
inline std::vector<std::uint8_t> block(std::uint16_t loop, std::vector<std::uint8_t> events)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(loop >> 8), static_cast<std::uint8_t>(loop & 0xFF)};
    bytes.insert(bytes.end(), events.begin(), events.end());
    bytes.resize(kMacroBlockSize, 0);
    return bytes;
}

inline std::vector<std::uint8_t> blockOf(const ConfigImage& image, std::size_t number)
{
    const auto start = image.begin() + static_cast<std::ptrdiff_t>(0x180 + 128 * (number - 1));
    return {start, start + 128};
}

} // namespace varcel::test
