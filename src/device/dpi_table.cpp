#include "device/dpi_table.h"

namespace varcel {

std::uint8_t dpiCode(std::uint8_t sensorType, std::uint8_t row)
{
    const auto rows = dpiRows(sensorType);
    return dpiListKnown(sensorType) && row < rows.size() ? rows[row].code : 0;
}

} // namespace varcel
