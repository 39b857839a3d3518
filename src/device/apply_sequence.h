// What "OK" and "Apply" do with the mouse and the files.
#pragma once

#include "device/device_commands.h"

#include <functional>

namespace varcel {

class ConfigStore;
class HidLink;

// How an apply went: whether it ran at all, what did not reach the mouse,
// and whether the files were saved.
struct ApplyOutcome {
    bool ran = false; // false: no accepted mouse, nothing sent or saved
    DeviceResult device;
    bool configSaved = false;
    bool labelsSaved = false;
    bool ok() const { return ran && device.ok() && configSaved && labelsSaved; }
};

// Sends the working image to the mouse, then saves config.bin and the labels
// (through saveLabels, which returns success), even when the mouse was pulled
// out halfway: the user's choices are kept for the next Apply. With no
// accepted mouse nothing is sent and nothing saved. The caller copies the
// working image to the snapshot when it ran, and tells the user what failed.
ApplyOutcome applyAndSave(HidLink& link, DeviceCommands& commands, ConfigStore& store,
                          const std::function<bool()>& saveLabels);

} // namespace varcel
