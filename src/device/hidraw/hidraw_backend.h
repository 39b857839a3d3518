// The real HID backend on Linux: hidraw nodes found through libudev.
//
// Each hidraw node is one HID device (one USB interface of the mouse) and
// may hold several top-level collections, so enumerate() lists one entry per
// collection, several sharing a path. The collections and their report
// lengths come from the report descriptor that sysfs shows beside the HID
// device, readable without opening the node, so listing works for a user
// whom the udev rule has not yet given access.
//
// Buffers follow the report-ID rule of hid_backend.h. Feature reports and
// written output reports already have that shape on hidraw; input reports of
// a device that does not number its reports arrive without the ID byte, and
// HidrawHandle::read() puts the 0 in front.
#pragma once

#include "device/hid_backend.h"
#include "device/hidraw/hid_id.h"
#include "device/hidraw/unique_handles.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace varcel {

class HidrawHandle : public HidHandle {
public:
    // `numberedReports`: whether the device's descriptor gives report IDs.
    HidrawHandle(UniqueFd fd, bool numberedReports);

    bool setFeature(std::span<const std::uint8_t> report) override;
    bool getFeature(std::span<std::uint8_t> report) override;
    bool write(std::span<const std::uint8_t> report) override;
    int read(std::span<std::uint8_t> buffer, int timeoutMs) override;
    int pollFd() const override;
    int lastError() const override { return m_error; }

private:
    // Keeps the errno of a failed call; always false, for `return ... || failed(e)`.
    bool failed(int error)
    {
        m_error = error;
        return false;
    }

    UniqueFd m_fd;
    bool m_numbered;
    int m_error = 0;
};

class HidrawBackend : public HidBackend {
public:
    HidrawBackend();
    ~HidrawBackend() override;

    // In udev's order of the nodes; a node whose descriptor cannot be read is
    // left out.
    std::vector<HidInterfaceInfo> enumerate() override;
    // The node opened with the access asked for; nullptr when it cannot be
    // opened or is not a hidraw node.
    std::unique_ptr<HidHandle> open(const std::string& path, HidAccess access) override;

private:
    UdevPtr m_udev;
};

// One entry per top-level collection of `descriptor`, all with `path` and the
// device's ids. Collections a broken descriptor leaves unparsed are missing.
std::vector<HidInterfaceInfo> interfacesFromDescriptor(const std::string& path, const HidId& id,
                                                       std::span<const std::uint8_t> descriptor);

} // namespace varcel
