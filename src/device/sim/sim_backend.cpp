#include "device/sim/sim_backend.h"

#include "device/protocol.h"
#include "device/sim/sim_mouse.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace varcel {

namespace {

constexpr const char* kCommandPath = "sim:mouse/command";
constexpr const char* kNotificationPath = "sim:mouse/notification";
constexpr const char* kPointerPath = "sim:mouse/pointer";
constexpr const char* kBrokenPath = "sim:mouse-broken/command";
constexpr const char* kKeyboardPath = "sim:keyboard";

// A keyboard of another vendor, always present.
const HidInterfaceInfo kKeyboard{kKeyboardPath, 0x1A2C, 0x0E24, 0x0001, 0x0006, 0, 9, 2};
// The mouse's ordinary pointer collection, which the program leaves alone.
const HidInterfaceInfo kPointer{kPointerPath, kVendorId, kProductId, 0x0001, 0x0002, 0, 8, 0};
// Lengths count the report-ID byte.
const HidInterfaceInfo kCommand{kCommandPath, kVendorId, kProductId, kCommandUsage, kCommandUsage, 9, 33, 33};
const HidInterfaceInfo kNotification{kNotificationPath, kVendorId, kProductId, kNotificationUsage,
                                     kNotificationUsage, 0, 8, 0};

class SimHandle : public HidHandle {
public:
    SimHandle(SimMouse& mouse, bool command, int eventFd) : m_mouse(mouse), m_command(command), m_eventFd(eventFd) {}

    bool setFeature(std::span<const std::uint8_t> report) override
    {
        return m_command && m_mouse.setFeature(report);
    }
    bool getFeature(std::span<std::uint8_t> report) override { return m_command && m_mouse.getFeature(report); }
    bool write(std::span<const std::uint8_t> report) override { return m_command && m_mouse.writeData(report); }
    int read(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        if (m_command)
            return m_mouse.readData(buffer, timeoutMs);
        // Take the wake-up first: news that arrives after it signals again.
        std::uint64_t count = 0;
        [[maybe_unused]] auto n = ::read(m_eventFd, &count, sizeof count);
        return m_mouse.readNotification(buffer, timeoutMs);
    }
    int pollFd() const override { return m_eventFd; }

private:
    SimMouse& m_mouse;
    bool m_command;
    int m_eventFd;
};

} // namespace

SimBackend::SimBackend(SimMouse& mouse) : m_mouse(mouse), m_eventFd(adoptFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)))
{
    const int fd = fdOf(m_eventFd);
    m_mouse.setChangeCallback([fd] {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(fd, &one, sizeof one);
    });
}

SimBackend::~SimBackend() { m_mouse.setChangeCallback({}); }

std::vector<HidInterfaceInfo> SimBackend::enumerate()
{
    std::vector<HidInterfaceInfo> list{kKeyboard};
    if (!m_mouse.plugged())
        return list;
    const SimFault fault = m_mouse.fault();
    if (fault == SimFault::UnopenableFirst) {
        HidInterfaceInfo broken = kCommand;
        broken.path = kBrokenPath;
        list.push_back(broken);
    }
    list.push_back(kPointer);
    if (fault == SimFault::CommandFirst) {
        list.push_back(kCommand);
        list.push_back(kNotification);
    } else {
        list.push_back(kNotification);
        list.push_back(kCommand);
    }
    return list;
}

std::unique_ptr<HidHandle> SimBackend::open(const std::string& path, HidAccess)
{
    if (!m_mouse.plugged())
        return nullptr;
    if (path == kCommandPath)
        return std::make_unique<SimHandle>(m_mouse, true, fdOf(m_eventFd));
    if (path == kNotificationPath)
        return std::make_unique<SimHandle>(m_mouse, false, fdOf(m_eventFd));
    // The pointer collection belongs to the system; the broken copy and the
    // keyboard cannot be opened either.
    return nullptr;
}

} // namespace varcel
