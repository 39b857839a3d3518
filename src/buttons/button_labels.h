// The 24 button labels: the text each button slot shows in each layer. They
// are not derived from the image; the key page sets them when a function is
// chosen, and str.ini keeps them per language.
#pragma once

#include "device/config_image.h"

#include <array>
#include <cstddef>
#include <string>

namespace varcel {

inline constexpr std::size_t kLabelCount = 2 * kButtonSlots;

// In key order: "Item1" … "Item12" (layer A, slots 0 to 11), then "Item13",
// "Item23" … "Item123" (layer B, slots 0 to 11).
using ButtonLabels = std::array<std::string, kLabelCount>;

constexpr std::size_t labelIndex(Layer layer, std::size_t slot)
{
    return (layer == Layer::A ? 0 : kButtonSlots) + slot;
}

// The str.ini key of a label: slot s of layer A is "Item" + (s + 1), slot s of
// layer B is "Item" + (s + 1) + "3", so "Item13" is layer B's slot 0, not a
// thirteenth slot of layer A.
inline std::string labelKey(std::size_t index)
{
    const std::size_t slot = index % kButtonSlots;
    std::string key = "Item" + std::to_string(slot + 1);
    if (index >= kButtonSlots)
        key += "3";
    return key;
}

} // namespace varcel
