#include "device/hidraw/udev_hotplug.h"

#include <fcntl.h>

namespace varcel {

namespace {

constexpr std::string_view kAdd = "add";
constexpr std::string_view kRemove = "remove";

std::string nodeOf(udev_device* device)
{
    if (const char* node = udev_device_get_devnode(device))
        return node;
    // A removal carries DEVNAME; should it not, the kernel's name is the node's.
    if (const char* name = udev_device_get_sysname(device))
        return std::string("/dev/") + name;
    return {};
}

} // namespace

std::optional<HotplugEvent::Action> mouseHotplugAction(std::string_view action, const std::optional<HidId>& id,
                                                       bool knownMouseNode)
{
    if (action == kAdd)
        return id && isMouse(*id) ? std::optional(HotplugEvent::Action::Arrival) : std::nullopt;
    if (action != kRemove)
        return std::nullopt;
    // What the event says of the device outranks memory: the node number may
    // have passed to another device since.
    const bool mouse = id ? isMouse(*id) : knownMouseNode;
    return mouse ? std::optional(HotplugEvent::Action::Removal) : std::nullopt;
}

std::optional<HotplugEvent::Action> mouseHotplugAction(std::string_view action, std::string_view hidId,
                                                       bool knownMouseNode)
{
    return mouseHotplugAction(action, parseHidId(hidId), knownMouseNode);
}

std::optional<HotplugEvent> MouseNodeFilter::accept(std::string_view action, const std::optional<HidId>& id,
                                                    const std::string& node)
{
    const auto what = mouseHotplugAction(action, id, knows(node));
    if (action == kAdd && what)
        m_nodes.insert(node);
    else if (action == kAdd || action == kRemove)
        m_nodes.erase(node);
    if (!what)
        return std::nullopt;
    return HotplugEvent{*what, node};
}

UdevHotplug::UdevHotplug() : m_udev(udev_new())
{
    if (!m_udev)
        return;
    // The "udev" source, not "kernel": its events come after the rules have
    // given the node its permissions.
    m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor.get()) < 0) {
        m_monitor.reset();
        return;
    }
    const int fd = udev_monitor_get_fd(m_monitor.get());
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        m_monitor.reset();
        return;
    }

    // Listening already, so a mouse plugged in during the scan is not lost;
    // at worst it is noted twice.
    const UdevEnumeratePtr present(udev_enumerate_new(m_udev.get()));
    if (!present || udev_enumerate_add_match_subsystem(present.get(), "hidraw") < 0
        || udev_enumerate_scan_devices(present.get()) < 0)
        return;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(present.get()))
    {
        const UdevDevicePtr hidraw(udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
        const auto id = hidIdOfHidraw(hidraw.get());
        if (id && isMouse(*id))
            m_filter.noteMouseNode(nodeOf(hidraw.get()));
    }
}

UdevHotplug::~UdevHotplug() = default;

int UdevHotplug::fd() const { return m_monitor ? udev_monitor_get_fd(m_monitor.get()) : -1; }

std::vector<HotplugEvent> UdevHotplug::drain()
{
    std::vector<HotplugEvent> events;
    if (!m_monitor)
        return events;
    while (const UdevDevicePtr device{udev_monitor_receive_device(m_monitor.get())}) {
        const char* action = udev_device_get_action(device.get());
        if (!action)
            continue;
        if (auto event = m_filter.accept(action, hidIdOfHidraw(device.get()), nodeOf(device.get())))
            events.push_back(std::move(*event));
    }
    return events;
}

} // namespace varcel
