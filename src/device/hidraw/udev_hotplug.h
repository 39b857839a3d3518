// Arrivals and removals of the mouse's hidraw nodes, from udev's monitor.
//
// udev announces each node only after its rules have run, so an arrival
// comes when the node already has the permissions the udev rule gives it
// (packaging/70-varcel.rules). The mouse has one node per HID interface: one
// plug-in is several arrivals.
#pragma once

#include "device/hidraw/hid_id.h"
#include "device/hidraw/unique_handles.h"
#include "device/hotplug.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

// Whether a udev event ("add", "remove", ...) on a hidraw node is the mouse
// arriving or leaving. `id` is the node's HID device when known; removals
// may come without it, and then a node seen earlier as the mouse's counts.
// Vendor and product decide, on any bus.
std::optional<HotplugEvent::Action> mouseHotplugAction(std::string_view action, const std::optional<HidId>& id,
                                                       bool knownMouseNode);
// The same from a HID_ID property; an empty or malformed one counts as unknown.
std::optional<HotplugEvent::Action> mouseHotplugAction(std::string_view action, std::string_view hidId,
                                                       bool knownMouseNode);

// Remembers which nodes are the mouse's, so their removals are known even
// when nothing about the departed device is left to read.
class MouseNodeFilter {
public:
    void noteMouseNode(const std::string& node) { m_nodes.insert(node); }
    bool knows(const std::string& node) const { return m_nodes.count(node) != 0; }
    // The event for the mouse, if this udev event is one; keeps the nodes up to date.
    std::optional<HotplugEvent> accept(std::string_view action, const std::optional<HidId>& id,
                                       const std::string& node);

private:
    std::set<std::string> m_nodes;
};

class UdevHotplug : public HotplugSource {
public:
    // Starts listening, then notes the mouse's nodes already present.
    UdevHotplug();
    ~UdevHotplug() override;

    // Non-blocking; -1 when udev could not be reached (then no events come).
    int fd() const override;
    std::vector<HotplugEvent> drain() override;

private:
    UdevPtr m_udev;
    UdevMonitorPtr m_monitor;
    MouseNodeFilter m_filter;
};

} // namespace varcel
