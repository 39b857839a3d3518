// The libudev functions of varcelctl and the window, loaded when the first is
// called rather than when the program starts: only the commands that look
// for the mouse need udev, and loading and relocating libudev costs every
// other command (show, a simulated apply) a sixth of its start, and the
// window's tray icon waits for it. Each function here looks its namesake up
// in libudev.so.1 once, and calls it.
//
// varcelctl and varcel link this file with --as-needed, so neither records
// libudev to load at start. A udev function their code comes to call without
// a line here would bring the library back at start: the builds stop then
// (src/varcelctl/CMakeLists.txt, src/app/CMakeLists.txt).
#include "platform/on_demand.h"

#include <libudev.h>

VARCEL_ON_DEMAND_LIBRARY("libudev.so.1")

VARCEL_ON_DEMAND(udev*, udev_new, (), ())
VARCEL_ON_DEMAND(udev*, udev_unref, (udev * u), (u))
VARCEL_ON_DEMAND(udev_device*, udev_device_new_from_syspath, (udev * u, const char* syspath), (u, syspath))
VARCEL_ON_DEMAND(udev_device*, udev_device_unref, (udev_device * d), (d))
VARCEL_ON_DEMAND(udev_device*, udev_device_get_parent_with_subsystem_devtype,
                 (udev_device * d, const char* subsystem, const char* devtype), (d, subsystem, devtype))
VARCEL_ON_DEMAND(const char*, udev_device_get_action, (udev_device * d), (d))
VARCEL_ON_DEMAND(const char*, udev_device_get_devnode, (udev_device * d), (d))
VARCEL_ON_DEMAND(const char*, udev_device_get_devpath, (udev_device * d), (d))
VARCEL_ON_DEMAND(const char*, udev_device_get_sysname, (udev_device * d), (d))
VARCEL_ON_DEMAND(const char*, udev_device_get_syspath, (udev_device * d), (d))
VARCEL_ON_DEMAND(const char*, udev_device_get_property_value, (udev_device * d, const char* key), (d, key))
VARCEL_ON_DEMAND(udev_enumerate*, udev_enumerate_new, (udev * u), (u))
VARCEL_ON_DEMAND(udev_enumerate*, udev_enumerate_unref, (udev_enumerate * e), (e))
VARCEL_ON_DEMAND(int, udev_enumerate_add_match_subsystem, (udev_enumerate * e, const char* subsystem), (e, subsystem))
VARCEL_ON_DEMAND(int, udev_enumerate_scan_devices, (udev_enumerate * e), (e))
VARCEL_ON_DEMAND(udev_list_entry*, udev_enumerate_get_list_entry, (udev_enumerate * e), (e))
VARCEL_ON_DEMAND(udev_list_entry*, udev_list_entry_get_next, (udev_list_entry * entry), (entry))
VARCEL_ON_DEMAND(const char*, udev_list_entry_get_name, (udev_list_entry * entry), (entry))
VARCEL_ON_DEMAND(udev_monitor*, udev_monitor_new_from_netlink, (udev * u, const char* name), (u, name))
VARCEL_ON_DEMAND(udev_monitor*, udev_monitor_unref, (udev_monitor * m), (m))
VARCEL_ON_DEMAND(int, udev_monitor_filter_add_match_subsystem_devtype,
                 (udev_monitor * m, const char* subsystem, const char* devtype), (m, subsystem, devtype))
VARCEL_ON_DEMAND(int, udev_monitor_enable_receiving, (udev_monitor * m), (m))
VARCEL_ON_DEMAND(int, udev_monitor_get_fd, (udev_monitor * m), (m))
VARCEL_ON_DEMAND(udev_device*, udev_monitor_receive_device, (udev_monitor * m), (m))
