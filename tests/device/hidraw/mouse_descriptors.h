// Report descriptors shaped like a gaming mouse's: a pointer, a keyboard with
// numbered reports, consumer keys, and the two vendor collections the
// program talks to (0xFF00 commands and data, 0xFF01 notifications).
#pragma once

#include "descriptor_builder.h"

#include <optional>

namespace varcel::test {

using D = DescriptorBuilder;

// Five buttons, three bits of padding, 16-bit X and Y, an 8-bit wheel: 6 bytes.
inline D pointerCollection(std::optional<std::uint32_t> reportId)
{
    D d;
    d.usagePage(0x01).usage(0x02).collection(D::kApplication);
    if (reportId)
        d.reportId(*reportId);
    d.usage(0x01).collection(D::kPhysical);
    d.usagePage(0x09).usageMinimum(1).usageMaximum(5).logicalMinimum(0).logicalMaximum(1);
    d.reportCount(5).reportSize(1).input(D::kData | D::kVariable);
    d.reportCount(1).reportSize(3).input(D::kConstant);
    d.usagePage(0x01).usage(0x30).usage(0x31).logicalMinimum(-32767).logicalMaximum(32767);
    d.reportSize(16).reportCount(2).input(D::kData | D::kVariable | D::kRelative);
    d.usage(0x38).logicalMinimum(-127).logicalMaximum(127);
    d.reportSize(8).reportCount(1).input(D::kData | D::kVariable | D::kRelative);
    d.endCollection().endCollection();
    return d;
}

// Report `bootId`: modifiers, a reserved byte and six key codes in, five LEDs
// and three bits of padding out. Report `nkroId`: a 120-key bitmap in.
inline D keyboardCollection(std::uint32_t bootId, std::uint32_t nkroId)
{
    D d;
    d.usagePage(0x01).usage(0x06).collection(D::kApplication).reportId(bootId);
    d.usagePage(0x07).usageMinimum(0xE0).usageMaximum(0xE7).logicalMinimum(0).logicalMaximum(1);
    d.reportSize(1).reportCount(8).input(D::kData | D::kVariable);
    d.reportCount(1).reportSize(8).input(D::kConstant);
    d.usagePage(0x08).usageMinimum(1).usageMaximum(5).reportCount(5).reportSize(1).output(D::kData | D::kVariable);
    d.reportCount(1).reportSize(3).output(D::kConstant);
    d.usagePage(0x07).usageMinimum(0).usageMaximum(0xFF).logicalMaximum(0xFF);
    d.reportCount(6).reportSize(8).input(D::kData);
    d.reportId(nkroId).usageMinimum(0).usageMaximum(0x77).logicalMaximum(1);
    d.reportSize(1).reportCount(120).input(D::kData | D::kVariable);
    d.endCollection();
    return d;
}

// One 16-bit consumer usage.
inline D consumerCollection(std::uint32_t reportId)
{
    D d;
    d.usagePage(0x0C).usage(0x01).collection(D::kApplication).reportId(reportId);
    d.logicalMinimum(0).logicalMaximum(0x3FF).usageMinimum(0).usageMaximum(0x3FF);
    d.reportSize(16).reportCount(1).input(D::kData);
    d.endCollection();
    return d;
}

// 8 feature bytes (the command report), 32 input and 32 output bytes (data reports).
inline D commandCollection(std::optional<std::uint32_t> reportId)
{
    D d;
    d.usagePage(0xFF00).usage(0xFF00).collection(D::kApplication);
    if (reportId)
        d.reportId(*reportId);
    d.logicalMinimum(0).logicalMaximum(0xFF).reportSize(8);
    d.usage(0x01).reportCount(8).feature(D::kData | D::kVariable);
    d.usage(0x02).reportCount(32).input(D::kData | D::kVariable);
    d.usage(0x03).reportCount(32).output(D::kData | D::kVariable);
    d.endCollection();
    return d;
}

// Report 6: 7 input bytes (code, spare, value, ...), the mouse's notifications.
inline D notificationCollection()
{
    D d;
    d.usagePage(0xFF01).usage(0xFF01).collection(D::kApplication).reportId(6);
    d.usage(0x01).logicalMinimum(0).logicalMaximum(0xFF).reportSize(8).reportCount(7).input(D::kData | D::kVariable);
    d.endCollection();
    return d;
}

// The mouse as three USB interfaces, one hidraw node each.
inline D pointerInterface() { return pointerCollection(std::nullopt); }
inline D keyboardInterface()
{
    D d;
    d.append(keyboardCollection(1, 2)).append(consumerCollection(3)).append(notificationCollection());
    return d;
}
inline D commandInterface() { return commandCollection(std::nullopt); }

// Everything behind one interface, every report numbered.
inline D compositeDescriptor()
{
    D d;
    d.append(pointerCollection(4)).append(keyboardCollection(1, 2)).append(consumerCollection(3));
    d.append(commandCollection(5)).append(notificationCollection());
    return d;
}

} // namespace varcel::test
