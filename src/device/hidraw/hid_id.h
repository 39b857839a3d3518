// Who a hidraw node belongs to, as udev and sysfs name it: the parent HID
// device's HID_ID property ("0003:000004D9:0000A09F", bus:vendor:product in
// hex) or that device's own name in the sysfs path ("0003:04D9:A09F.0007").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct udev_device;

namespace varcel {

struct HidId {
    std::uint32_t bus = 0;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    friend bool operator==(const HidId&, const HidId&) = default;
};

// Hex digits in either case; nullopt unless the whole text has the form.
std::optional<HidId> parseHidId(std::string_view text);
// The HID device's name among the components of a sysfs device path
// ("/devices/.../0003:04D9:A09F.0007/hidraw/hidraw3"); nullopt without one.
std::optional<HidId> hidIdFromDevpath(std::string_view devpath);

bool isMouse(const HidId& id);

// The id of a hidraw udev device: its parent HID device's HID_ID while that
// parent is still in sysfs, else the name carried in its own device path
// (which is all a removal may have left).
std::optional<HidId> hidIdOfHidraw(udev_device* hidraw);

} // namespace varcel
