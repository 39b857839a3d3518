// The simulated mouse seen through the HID interface: its collections are
// listed among a few ordinary devices, as on a real system.
#pragma once

#include "device/hid_backend.h"
#include "platform/unique_fd.h"

namespace varcel {

class SimMouse;

class SimBackend : public HidBackend {
public:
    explicit SimBackend(SimMouse& mouse);
    ~SimBackend() override;
    SimBackend(const SimBackend&) = delete;
    SimBackend& operator=(const SimBackend&) = delete;

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidHandle> open(const std::string& path, HidAccess access) override;

    SimMouse& mouse() { return m_mouse; }

private:
    SimMouse& m_mouse;
    UniqueFd m_eventFd; // readable whenever the mouse has news; shared by its handles
};

} // namespace varcel
