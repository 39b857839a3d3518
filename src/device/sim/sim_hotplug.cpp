#include "device/sim/sim_hotplug.h"

#include "device/sim/sim_mouse.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace varcel {

SimHotplug::SimHotplug(SimMouse& mouse) : m_mouse(mouse), m_eventFd(adoptFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)))
{
    m_mouse.setPlugCallback([this](bool plugged) {
        const auto action = plugged ? HotplugEvent::Action::Arrival : HotplugEvent::Action::Removal;
        {
            std::lock_guard lock(m_mutex);
            m_pending.push_back({action, "sim:mouse/notification"});
            m_pending.push_back({action, "sim:mouse/command"});
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(fd(), &one, sizeof one);
    });
}

SimHotplug::~SimHotplug() { m_mouse.setPlugCallback({}); }

std::vector<HotplugEvent> SimHotplug::drain()
{
    std::uint64_t count = 0;
    [[maybe_unused]] auto n = ::read(fd(), &count, sizeof count);
    std::lock_guard lock(m_mutex);
    return std::exchange(m_pending, {});
}

} // namespace varcel
