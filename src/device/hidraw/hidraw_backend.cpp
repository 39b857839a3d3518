#include "device/hidraw/hidraw_backend.h"

#include "device/hidraw/hid_descriptor.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <optional>

namespace varcel {

namespace {

// The feature ioctls carry the buffer length in their request number, which
// has room for 14 bits; no report of a hidraw device comes near that.
constexpr std::size_t kMaxIoctlLength = (std::size_t{1} << _IOC_SIZEBITS) - 1;
// The kernel keeps no longer descriptor than this for a HID device.
constexpr std::size_t kMaxDescriptorBytes = HID_MAX_DESCRIPTOR_SIZE;

int openFlags(HidAccess access)
{
    switch (access) {
    case HidAccess::Read: return O_RDONLY;
    case HidAccess::Write: return O_WRONLY;
    case HidAccess::ReadWrite: return O_RDWR;
    }
    return O_RDONLY;
}

// The report descriptor sysfs shows beside the HID device: the one the
// kernel parsed, after its quirk fix-ups.
std::optional<std::vector<std::uint8_t>> readSysfsDescriptor(const std::string& hidSyspath)
{
    const UniqueFd fd = adoptFd(::open((hidSyspath + "/report_descriptor").c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(kMaxDescriptorBytes);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fdOf(fd), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

// The descriptor of an open node, which also tells a hidraw node from any
// other file the caller may have named.
std::optional<std::vector<std::uint8_t>> readNodeDescriptor(int fd)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0)
        return std::nullopt;
    auto descriptor = std::make_unique<hidraw_report_descriptor>();
    // The ioctl refuses the whole buffer's length; one byte short is the most it takes.
    const auto wanted = std::min<std::size_t>(static_cast<std::size_t>(size), kMaxDescriptorBytes - 1);
    descriptor->size = static_cast<std::uint32_t>(wanted);
    if (::ioctl(fd, HIDIOCGRDESC, descriptor.get()) < 0)
        return std::nullopt;
    return std::vector<std::uint8_t>(descriptor->value, descriptor->value + descriptor->size);
}

} // namespace

HidrawHandle::HidrawHandle(UniqueFd fd, bool numberedReports) : m_fd(std::move(fd)), m_numbered(numberedReports) {}

bool HidrawHandle::setFeature(std::span<const std::uint8_t> report)
{
    if (report.empty() || report.size() > kMaxIoctlLength)
        return failed(EINVAL);
    return ::ioctl(fdOf(m_fd), HIDIOCSFEATURE(report.size()), report.data()) >= 0 || failed(errno);
}

bool HidrawHandle::getFeature(std::span<std::uint8_t> report)
{
    if (report.empty() || report.size() > kMaxIoctlLength)
        return failed(EINVAL);
    return ::ioctl(fdOf(m_fd), HIDIOCGFEATURE(report.size()), report.data()) >= 0 || failed(errno);
}

bool HidrawHandle::write(std::span<const std::uint8_t> report)
{
    if (report.empty())
        return failed(EINVAL);
    for (;;) {
        const ssize_t n = ::write(fdOf(m_fd), report.data(), report.size());
        if (n < 0 && errno == EINTR)
            continue;
        return n == static_cast<ssize_t>(report.size()) || failed(n < 0 ? errno : EIO);
    }
}

int HidrawHandle::read(std::span<std::uint8_t> buffer, int timeoutMs)
{
    // An unnumbered device's report goes in after the 0 the caller expects.
    const std::size_t idByte = m_numbered ? 0 : 1;
    if (buffer.size() <= idByte)
        return -1;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const int fd = fdOf(m_fd);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = static_cast<int>(std::clamp<decltype(left)>(left, 0, std::numeric_limits<int>::max()));
        }
        pollfd waitFor{fd, POLLIN, 0};
        const int ready = ::poll(&waitFor, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return failed(errno) ? 0 : -1;
        if (ready == 0)
            return 0;
        // A report still queued when the mouse was pulled is handed over
        // first; the hang-up alone means it is gone.
        if (!(waitFor.revents & POLLIN))
            return failed(ENODEV) ? 0 : -1;
        const ssize_t n = ::read(fd, buffer.data() + idByte, buffer.size() - idByte);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return failed(n < 0 ? errno : ENODEV) ? 0 : -1;
        if (idByte)
            buffer[0] = 0;
        return static_cast<int>(n) + static_cast<int>(idByte);
    }
}

int HidrawHandle::pollFd() const { return fdOf(m_fd); }

HidrawBackend::HidrawBackend() : m_udev(udev_new()) {}

HidrawBackend::~HidrawBackend() = default;

std::vector<HidInterfaceInfo> HidrawBackend::enumerate()
{
    std::vector<HidInterfaceInfo> result;
    if (!m_udev)
        return result;
    const UdevEnumeratePtr nodes(udev_enumerate_new(m_udev.get()));
    if (!nodes || udev_enumerate_add_match_subsystem(nodes.get(), "hidraw") < 0
        || udev_enumerate_scan_devices(nodes.get()) < 0)
        return result;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(nodes.get()))
    {
        const UdevDevicePtr hidraw(udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
        if (!hidraw)
            continue;
        const char* node = udev_device_get_devnode(hidraw.get());
        udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw.get(), "hid", nullptr);
        if (!node || !hid)
            continue;
        const char* hidId = udev_device_get_property_value(hid, "HID_ID");
        const auto id = hidId ? parseHidId(hidId) : std::nullopt;
        // HidInterfaceInfo has 16 bits for each id, as USB does.
        if (!id || id->vendor > 0xFFFF || id->product > 0xFFFF)
            continue;
        const auto descriptor = readSysfsDescriptor(udev_device_get_syspath(hid));
        if (!descriptor)
            continue;
        for (HidInterfaceInfo& info : interfacesFromDescriptor(node, *id, *descriptor))
            result.push_back(std::move(info));
    }
    return result;
}

std::unique_ptr<HidHandle> HidrawBackend::open(const std::string& path, HidAccess access)
{
    UniqueFd fd = adoptFd(::open(path.c_str(), openFlags(access) | O_CLOEXEC));
    if (!fd)
        return nullptr;
    const auto descriptor = readNodeDescriptor(fdOf(fd));
    if (!descriptor)
        return nullptr;
    const bool numbered = parseHidDescriptor(*descriptor).numberedReports;
    return std::make_unique<HidrawHandle>(std::move(fd), numbered);
}

std::vector<HidInterfaceInfo> interfacesFromDescriptor(const std::string& path, const HidId& id,
                                                       std::span<const std::uint8_t> descriptor)
{
    std::vector<HidInterfaceInfo> result;
    for (const HidCollectionCaps& caps : parseHidDescriptor(descriptor).collections)
        result.push_back({path, static_cast<std::uint16_t>(id.vendor), static_cast<std::uint16_t>(id.product),
                          caps.usagePage, caps.usage, caps.featureLength, caps.inputLength, caps.outputLength});
    return result;
}

} // namespace varcel
