// The DPI lists of the mouse's sensor types: each row is the code the sensor
// takes and the value the pages, varcelctl and the balloons show for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varcel {

struct DpiRow {
    std::uint8_t code;
    const char* text;
};

// Sensor type 0's list, shown too for a type the program has no list for.
inline constexpr std::array<DpiRow, 12> kDpiRowsType0{{
    {0x01, "250"},
    {0x02, "500"},
    {0x03, "750"},
    {0x04, "1000"},
    {0x05, "1250"},
    {0x06, "1500"},
    {0x07, "1750"},
    {0x08, "2000"},
    {0x25, "2500"},
    {0x26, "3000"},
    {0x27, "3500"},
    {0x28, "4000"},
}};
inline constexpr std::array<DpiRow, 8> kDpiRowsType1{{
    {0x01, "600"},
    {0x02, "800"},
    {0x03, "1000"},
    {0x04, "1200"},
    {0x05, "1600"},
    {0x23, "2000"},
    {0x24, "2400"},
    {0x25, "3200"},
}};
inline constexpr std::array<DpiRow, 8> kDpiRowsType2{{
    {0x02, "250"},
    {0x04, "500"},
    {0x06, "750"},
    {0x08, "1000"},
    {0x0A, "1250"},
    {0x26, "1500"},
    {0x28, "2000"},
    {0x2A, "2500"},
}};
inline constexpr std::array<DpiRow, 8> kDpiRowsType3{{
    {0x01, "400"},
    {0x02, "800"},
    {0x03, "1200"},
    {0x04, "1600"},
    {0x05, "2000"},
    {0x06, "2400"},
    {0x07, "2800"},
    {0x08, "3200"},
}};
// The longest list: the most segments a DPI bar has.
inline constexpr std::size_t kMaxDpiRows = kDpiRowsType0.size();

// The DPI list of a sensor type.
constexpr std::span<const DpiRow> dpiRows(std::uint8_t sensorType)
{
    switch (sensorType) {
    case 1: return kDpiRowsType1;
    case 2: return kDpiRowsType2;
    case 3: return kDpiRowsType3;
    default: return kDpiRowsType0;
    }
}

// Whether the program has a list of its own for a sensor type (0 to 3); the
// others show type 0's values but have no codes.
constexpr bool dpiListKnown(std::uint8_t sensorType) { return sensorType <= 3; }

// Rows in the DPI list of a sensor type.
constexpr std::size_t dpiRowCount(std::uint8_t sensorType) { return dpiRows(sensorType).size(); }

// Sensor code of a DPI list row; 0 for a row past the type's list, and for
// every row of a type the program has no list for: whatever it would guess
// could set the sensor to a resolution nobody chose.
std::uint8_t dpiCode(std::uint8_t sensorType, std::uint8_t row);

} // namespace varcel
