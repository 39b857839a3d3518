// The four bytes the mouse stores for a button, written from the image and
// read back in words from one table of codes.
#pragma once

#include "device/config_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace varcel {

using ButtonCode = std::array<std::uint8_t, 4>;

// The DPI switch options, 1 to 3: the image's DPI-switch byte and byte 2 of
// the button code. Their names are the rows of the key page's DPI option list
// and the labels those rows give, the same in every language.
inline constexpr std::array<const char*, 3> kDpiSwitchOptionNames{"DPI +", "DPI -", "DPI Loop"};
inline constexpr std::uint8_t kDpiLoopOption = 3;

// The four bytes the mouse stores for one button, from the function kind and
// the parameters at the button's slot in its layer.
ButtonCode encodeButton(const ConfigImage& image, Layer layer, std::size_t slot);

// What a button code does, in words ("left click", "key 0x3E",
// "macro 2, repeat mode 1"): for showing what the mouse holds.
std::string describeButtonCode(const ButtonCode& code);

} // namespace varcel
