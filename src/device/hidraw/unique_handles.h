// Owners for what the hidraw backend and the hot-plug monitor keep open: file
// descriptors and libudev objects, released when their owner goes, on every
// path out.
#pragma once

#include "platform/unique_fd.h"

#include <libudev.h>

#include <memory>

namespace varcel {

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
