#include "device/hidraw/udev_hotplug.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace varcel {
namespace {

using Action = HotplugEvent::Action;
constexpr std::optional<Action> kNone;

TEST(HidId, ReadsHidIdPropertiesAndDeviceNames)
{
    struct Row {
        std::string_view text;
        std::optional<HidId> id;
    };
    const Row properties[] = {
        {"0003:000004D9:0000A09F", HidId{3, 0x04D9, 0xA09F}},
        {"0003:000004d9:0000a09f", HidId{3, 0x04D9, 0xA09F}},
        {"0005:0000046D:0000B023", HidId{5, 0x046D, 0xB023}},
        {"", std::nullopt},
        {"04D9:A09F", std::nullopt},
        {"0003:000004D9:0000A09F:0001", std::nullopt},
        {"0003:0x04D9:A09F", std::nullopt},
        {"0003:000004D9:0000A09G", std::nullopt},
        {"0003:-4D9:A09F", std::nullopt},
        {"0003:1000004D9:0000A09F", std::nullopt},
    };
    for (const Row& row : properties)
        EXPECT_EQ(parseHidId(row.text), row.id) << row.text;

    const Row devpaths[] = {
        {"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/0003:04D9:A09F.0007/hidraw/hidraw5",
         HidId{3, 0x04D9, 0xA09F}},
        {"/devices/virtual/misc/uhid/0003:04D9:A09F.0001/hidraw/hidraw0", HidId{3, 0x04D9, 0xA09F}},
        {"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:046D:C52B.0003/hidraw/hidraw1",
         HidId{3, 0x046D, 0xC52B}},
        // PCI and USB interface names have colons too, but not this shape.
        {"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& row : devpaths)
        EXPECT_EQ(hidIdFromDevpath(row.text), row.id) << row.text;
}

TEST(MouseHotplugAction, DecidesFromActionIdAndKnownNodes)
{
    struct Row {
        std::string_view action;
        std::string_view hidId;
        bool knownNode;
        std::optional<Action> expected;
    };
    const Row rows[] = {
        {"add", "0003:000004D9:0000A09F", false, Action::Arrival},
        {"add", "0003:000004d9:0000a09f", false, Action::Arrival},
        {"add", "0005:000004D9:0000A09F", false, Action::Arrival}, // vendor and product decide, not the bus
        {"add", "0003:0000046D:0000C52B", false, kNone},           // another vendor's receiver
        {"add", "0003:000004D9:0000A09E", false, kNone},           // the same vendor's other product
        {"add", "0003:000004DA:0000A09F", false, kNone},
        {"add", "", true, kNone},                                  // a reused node number proves nothing
        {"remove", "0003:000004D9:0000A09F", false, Action::Removal},
        {"remove", "0003:000004d9:0000a09f", true, Action::Removal},
        {"remove", "", true, Action::Removal}, // the device is gone; the node was the mouse's
        {"remove", "", false, kNone},
        {"remove", "0003:0000046D:0000C52B", true, kNone}, // what the event says outranks memory
        {"change", "0003:000004D9:0000A09F", true, kNone},
        {"bind", "0003:000004D9:0000A09F", false, kNone},
        {"unbind", "0003:000004D9:0000A09F", true, kNone},
        {"", "0003:000004D9:0000A09F", true, kNone},
    };
    for (const Row& row : rows)
        EXPECT_EQ(mouseHotplugAction(row.action, row.hidId, row.knownNode), row.expected)
            << row.action << " " << row.hidId << (row.knownNode ? " known" : "");
}

TEST(MouseNodeFilter, FollowsTheMouseNodesThroughArrivalsAndRemovals)
{
    const HidId mouse{3, 0x04D9, 0xA09F};
    const HidId keyboard{3, 0x046D, 0xC31C};
    MouseNodeFilter filter;
    filter.noteMouseNode("/dev/hidraw1"); // present at start-up

    struct Step {
        std::string_view action;
        std::optional<HidId> id;
        std::string node;
        std::optional<Action> expected;
    };
    const Step steps[] = {
        {"remove", std::nullopt, "/dev/hidraw1", Action::Removal}, // known from the start-up scan
        {"remove", std::nullopt, "/dev/hidraw1", kNone},           // forgotten with its removal
        {"add", mouse, "/dev/hidraw2", Action::Arrival},
        {"add", mouse, "/dev/hidraw3", Action::Arrival}, // the mouse's second interface
        {"remove", std::nullopt, "/dev/hidraw3", Action::Removal},
        {"remove", std::nullopt, "/dev/hidraw2", Action::Removal},
        {"add", keyboard, "/dev/hidraw2", kNone}, // the number goes to a keyboard
        {"remove", std::nullopt, "/dev/hidraw2", kNone},
        {"add", mouse, "/dev/hidraw4", Action::Arrival},
        {"add", keyboard, "/dev/hidraw4", kNone}, // a missed removal: the node is not the mouse's now
        {"remove", std::nullopt, "/dev/hidraw4", kNone},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.action) + " " + step.node);
        const auto event = filter.accept(step.action, step.id, step.node);
        ASSERT_EQ(event.has_value(), step.expected.has_value());
        if (event) {
            EXPECT_EQ(event->action, *step.expected);
            EXPECT_EQ(event->node, step.node);
        }
    }
}

TEST(UdevHotplug, ListensWithoutBlocking)
{
    // Containers often have no udev daemon: then there is nothing to hear,
    // but the monitor must neither fail nor block.
    UdevHotplug hotplug;
    if (hotplug.fd() >= 0) {
        const int flags = ::fcntl(hotplug.fd(), F_GETFL);
        EXPECT_TRUE(flags >= 0 && (flags & O_NONBLOCK));
    }
    for (const HotplugEvent& event : hotplug.drain())
        EXPECT_FALSE(event.node.empty());
}

} // namespace
} // namespace varcel
