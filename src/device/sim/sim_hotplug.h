// Hot-plug events of the simulated mouse, in the same form udev gives for
// the real one: one event per collection node.
#pragma once

#include "device/hotplug.h"
#include "platform/unique_fd.h"

#include <mutex>

namespace varcel {

class SimMouse;

class SimHotplug : public HotplugSource {
public:
    explicit SimHotplug(SimMouse& mouse);
    ~SimHotplug() override;
    SimHotplug(const SimHotplug&) = delete;
    SimHotplug& operator=(const SimHotplug&) = delete;

    int fd() const override { return fdOf(m_eventFd); }
    std::vector<HotplugEvent> drain() override;

private:
    SimMouse& m_mouse;
    UniqueFd m_eventFd;
    std::mutex m_mutex;
    std::vector<HotplugEvent> m_pending;
};

} // namespace varcel
