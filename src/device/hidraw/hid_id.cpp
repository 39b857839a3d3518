#include "device/hidraw/hid_id.h"

#include "device/protocol.h"

#include <libudev.h>

#include <charconv>

namespace varcel {

namespace {

// Bus, vendor and product are printed as at least four hex digits and fit
// 32 bits; the kernel's own formats use four (device name) and eight (HID_ID).
constexpr std::size_t kMinDigits = 4;
constexpr std::size_t kMaxDigits = 8;

std::optional<std::uint32_t> hexField(std::string_view text, std::size_t minDigits)
{
    if (text.size() < minDigits || text.size() > kMaxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<HidId> threeFields(std::string_view text, std::size_t minDigits)
{
    const auto first = text.find(':');
    if (first == std::string_view::npos)
        return std::nullopt;
    const auto second = text.find(':', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const auto bus = hexField(text.substr(0, first), minDigits);
    const auto vendor = hexField(text.substr(first + 1, second - first - 1), minDigits);
    const auto product = hexField(text.substr(second + 1), minDigits);
    if (!bus || !vendor || !product)
        return std::nullopt;
    return HidId{*bus, *vendor, *product};
}

// "0003:04D9:A09F.0007": bus, vendor, product, and the kernel's instance number.
std::optional<HidId> fromDeviceName(std::string_view name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || !hexField(name.substr(dot + 1), kMinDigits))
        return std::nullopt;
    return threeFields(name.substr(0, dot), kMinDigits);
}

} // namespace

std::optional<HidId> parseHidId(std::string_view text) { return threeFields(text, 1); }

std::optional<HidId> hidIdFromDevpath(std::string_view devpath)
{
    // The HID device sits nearest the node, so it is looked for from the end;
    // further up, PCI and USB names have colons too but not this shape.
    while (!devpath.empty()) {
        const auto slash = devpath.rfind('/');
        const std::string_view component = slash == std::string_view::npos ? devpath : devpath.substr(slash + 1);
        if (auto id = fromDeviceName(component))
            return id;
        if (slash == std::string_view::npos)
            break;
        devpath = devpath.substr(0, slash);
    }
    return std::nullopt;
}

bool isMouse(const HidId& id) { return id.vendor == kVendorId && id.product == kProductId; }

std::optional<HidId> hidIdOfHidraw(udev_device* hidraw)
{
    if (!hidraw)
        return std::nullopt;
    // The parent belongs to the child: no unref.
    if (udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr)) {
        if (const char* text = udev_device_get_property_value(hid, "HID_ID")) {
            if (auto id = parseHidId(text))
                return id;
        }
    }
    if (const char* devpath = udev_device_get_devpath(hidraw))
        return hidIdFromDevpath(devpath);
    return std::nullopt;
}

} // namespace varcel
