// Owners for what the hidraw backend and the hot-plug monitor keep open: file
// descriptors and libudev objects, released when their owner goes, on every
// path out.
#pragma once

#include <libudev.h>
#include <unistd.h>

#include <cstddef>
#include <memory>

namespace varcel {

// A file descriptor in the shape unique_ptr asks of a pointer; -1 is empty.
class FileDescriptor {
public:
    FileDescriptor() = default;
    FileDescriptor(std::nullptr_t) {}
    explicit FileDescriptor(int fd) : m_fd(fd < 0 ? -1 : fd) {}
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    friend bool operator==(const FileDescriptor&, const FileDescriptor&) = default;

private:
    int m_fd = -1;
};

struct FdCloser {
    using pointer = FileDescriptor;
    void operator()(FileDescriptor fd) const { ::close(fd.get()); }
};

using UniqueFd = std::unique_ptr<FileDescriptor, FdCloser>;

inline UniqueFd adoptFd(int fd) { return UniqueFd(FileDescriptor(fd)); }
inline int fdOf(const UniqueFd& fd) { return fd.get().get(); }

template <auto Unref>
struct UdevUnref {
    template <typename T>
    void operator()(T* object) const { Unref(object); }
};

using UdevPtr = std::unique_ptr<udev, UdevUnref<udev_unref>>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, UdevUnref<udev_enumerate_unref>>;
using UdevDevicePtr = std::unique_ptr<udev_device, UdevUnref<udev_device_unref>>;
using UdevMonitorPtr = std::unique_ptr<udev_monitor, UdevUnref<udev_monitor_unref>>;

} // namespace varcel
