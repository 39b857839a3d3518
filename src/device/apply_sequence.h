// What "OK" and "Apply" do with the mouse and the files.
#pragma once

#include <functional>

namespace varcel {

class ConfigStore;
class DeviceCommands;
class HidLink;

// Sends the working image to the mouse, then saves config.bin and the labels
// (through saveLabels), even when the mouse was pulled out halfway. With no
// accepted mouse nothing is sent and nothing saved. Returns whether it ran;
// the caller then copies the working image to the snapshot.
bool applyAndSave(HidLink& link, DeviceCommands& commands, ConfigStore& store,
                  const std::function<void()>& saveLabels);

} // namespace varcel
